#pragma once
// The voice library (AX): voices that play samples from audio memory
// (DSP-ADPCM, PCM16, PCM8) through a sample-rate converter and a volume, mixed
// into the main bus in 5 ms frames of 160 samples at 32 kHz. Each frame first
// runs the registered frame callback, then mixes every running voice, then
// hands the frame to the audio interface (see ai.h).
//
// Threads: the setters may be called from any OS thread; each takes the
// interrupt lock for its change, and callers that program several fields
// that must change together hold it around them (OSDisableInterrupts). The
// frame and its callback run at interrupt level on the output's platform
// thread. Voice pointers stay valid for the program's life.

#include <cstdint>

#include "platform/os.h"

constexpr int AX_MAX_VOICES = 64;
constexpr int AX_SAMPLE_RATE = 32000;                            // Hz, the output rate
constexpr int AX_FRAME_SAMPLES = 160;                            // per voice per frame (5 ms)
constexpr OSTime AX_FRAME_TICKS = OS_TIMER_CLOCK / 200;          // 5 ms of the time base
constexpr uint32_t AX_ADPCM_HEADER_SIZE = 40;                    // bytes of the stored ADPCM parameter block
constexpr uint32_t AX_ADPCM_FRAME_BYTES = 8;                     // predictor/scale byte and 14 samples
constexpr uint32_t AX_ADPCM_FRAME_NIBBLES = 16;
constexpr uint32_t AX_ADPCM_FRAME_SAMPLES = 14;

// Voice states (AXSetVoiceState).
constexpr uint32_t AX_PB_STATE_STOP = 0;
constexpr uint32_t AX_PB_STATE_RUN = 1;
// The mixer's value on freeing a channel: stops the voice and clears its
// decoder, addresses and converter, so it starts clean when programmed again.
constexpr uint32_t AX_PB_STATE_RELEASE = 7;

// Sample formats (AXPBADDR::format). Addresses count nibbles for ADPCM, 16-bit
// samples for PCM16 and bytes for PCM8, from the start of audio memory.
constexpr uint16_t AX_PB_FORMAT_ADPCM = 0x0000;
constexpr uint16_t AX_PB_FORMAT_PCM16 = 0x000A;
constexpr uint16_t AX_PB_FORMAT_PCM8 = 0x0019;

// Sample-rate converter types (AXSetVoiceSrcType).
constexpr uint32_t AX_SRC_TYPE_NONE = 0;    // nearest: the newest input sample
constexpr uint32_t AX_SRC_TYPE_LINEAR = 1;  // linear between the two newest
// assumed: the 4-tap polyphase filters; played here as linear.
constexpr uint32_t AX_SRC_TYPE_4TAP_8K = 2;
constexpr uint32_t AX_SRC_TYPE_4TAP_12K = 3;
constexpr uint32_t AX_SRC_TYPE_4TAP_16K = 4;

// Output modes (AXSetMode), read by the mixer library. Whatever the mode, the
// surround bus is folded into left and right at -3 dB for the stereo device.
constexpr uint32_t AX_MODE_STEREO = 0;
constexpr uint32_t AX_MODE_SURROUND = 1;
constexpr uint32_t AX_MODE_DPL2 = 2;

constexpr uint16_t AX_VOLUME_UNITY = 0x8000;  // mix volumes: 0x8000 = 1.0
constexpr uint16_t AX_VE_UNITY = 0x7FFF;      // envelope volume: 0x7FFF ~ 1.0

struct AXPBADDR {
    uint16_t loopFlag = 0;         // 1: at the end address jump to the loop address
    uint16_t format = AX_PB_FORMAT_ADPCM;
    uint32_t loopAddress = 0;
    uint32_t endAddress = 0;       // the last sample played (inclusive)
    uint32_t currentAddress = 0;
};

// The ADPCM parameter block in host order. Stored big-endian in 40 bytes:
// 16 coefficients (pairs c1, c2 of 5.11 fixed point), gain (0 for ADPCM),
// the first predictor/scale, and the two history samples.
struct AXPBADPCM {
    int16_t coef[16] = {};
    uint16_t gain = 0;
    uint16_t predScale = 0;  // bits 4-6 coefficient pair, bits 0-3 scale exponent
    int16_t yn1 = 0;         // previous sample
    int16_t yn2 = 0;         // the one before
};

// Decoder state reloaded at the loop address.
struct AXPBADPCMLOOP {
    uint16_t loopPredScale = 0;
    int16_t loopYn1 = 0;
    int16_t loopYn2 = 0;
};

// Sample-rate ratio in 16.16 fixed point: source rate / 32000.
struct AXPBSRC {
    uint16_t ratioHi = 1;
    uint16_t ratioLo = 0;
    uint16_t currentAddressFrac = 0;
};

struct AXPBVE {
    uint16_t currentVolume = 0;  // AX_VE_UNITY ~ 1.0
    int16_t currentDelta = 0;    // added after every sample
};

// Volumes of the voice on the main bus: left, right and surround.
struct AXPBMIX {
    uint16_t vL = 0;
    uint16_t vR = 0;
    uint16_t vS = 0;
};

struct AXVPB;
typedef void (*AXVoiceCallback)(AXVPB* voice);
typedef void (*AXUserCallback)();

// One voice. The fields mirror what the setters programmed; the frame also
// advances addr.currentAddress and stops a one-shot voice at its end. Read
// them with interrupts disabled while output runs.
struct AXVPB {
    int index = 0;
    bool bAcquired = false;
    uint32_t priority = 0;
    AXVoiceCallback callback = nullptr;
    uint32_t userContext = 0;
    uint32_t state = AX_PB_STATE_STOP;
    uint32_t srcType = AX_SRC_TYPE_LINEAR;
    AXPBADDR addr;
    AXPBADPCM adpcm;
    AXPBADPCMLOOP adpcmLoop;
    AXPBSRC src;
    AXPBVE ve;
    AXPBMIX mix;

    // Decoder and converter state of the frame; cleared whenever the address
    // or the decoder is programmed.
    int16_t nHist1 = 0;
    int16_t nHist2 = 0;
    uint16_t nPredScale = 0;
    int16_t nSrcOld = 0;     // the input sample at the converter's position
    int16_t nSrcNew = 0;     // the one after it
    bool bSrcPrimed = false;
    bool bOldValid = false;  // nSrcOld is a sample of the sound
    bool bNewValid = false;
    bool bInputEnded = false;  // a one-shot voice read past its end address
};

// ---- library -------------------------------------------------------------------
// Starts the voice library: all voices free and stopped, stereo mode, and its
// frame installed as the audio interface's DMA callback (starting AI and its
// DMA when needed). Idempotent.
void AXInit();
BOOL AXIsInit();
// The callback runs at interrupt level at the start of every frame, before
// the voices are mixed. Returns the previous one; null removes it.
AXUserCallback AXRegisterCallback(AXUserCallback callback);
void AXSetMode(uint32_t mode);  // AX_MODE_*; other values are ignored (logged)
uint32_t AXGetMode();

// ---- voices --------------------------------------------------------------------
// A free voice, stopped and cleared, with the given priority; its callback is
// kept for the owner. Null when every voice is in use (no voice is taken from
// another owner).
AXVPB* AXAcquireVoice(uint32_t priority, AXVoiceCallback callback, uint32_t userContext);
void AXFreeVoice(AXVPB* voice);  // stops and frees it
// The stored 40-byte big-endian parameter block; also becomes the loop
// context (predictor/scale and history reloaded at the loop address) until
// AXSetVoiceAdpcmLoop sets another.
void AXSetVoiceAdpcm(AXVPB* voice, const uint8_t header[AX_ADPCM_HEADER_SIZE]);
void AXSetVoiceAdpcmLoop(AXVPB* voice, const AXPBADPCMLOOP* loop);
void AXSetVoiceAddr(AXVPB* voice, const AXPBADDR* addr);
void AXSetVoiceLoop(AXVPB* voice, uint32_t loop);  // 0 or 1
void AXSetVoiceLoopAddr(AXVPB* voice, uint32_t address);
void AXSetVoiceEndAddr(AXVPB* voice, uint32_t address);
// Moves the read position. For ADPCM the predictor and scale of the frame the
// address lies in are taken at once, and the converter starts afresh.
void AXSetVoiceCurrentAddr(AXVPB* voice, uint32_t address);
void AXSetVoiceSrc(AXVPB* voice, const AXPBSRC* src);
void AXSetVoiceSrcType(AXVPB* voice, uint32_t type);  // AX_SRC_TYPE_*; others are taken as linear
void AXSetVoiceVe(AXVPB* voice, const AXPBVE* ve);
void AXSetVoiceMix(AXVPB* voice, const AXPBMIX* mix);
void AXSetVoiceState(AXVPB* voice, uint32_t state);  // AX_PB_STATE_*; any other value stops the voice

// ---- decoding (pure functions) -----------------------------------------------------
// Parses the stored big-endian parameter block.
void AXReadAdpcmHeader(const uint8_t header[AX_ADPCM_HEADER_SIZE], AXPBADPCM* out);
// Decodes one 8-byte ADPCM frame into 14 samples with coefficient pairs
// coef[16] and the history (hist1 previous, hist2 the one before), which it
// advances.
void AXDecodeAdpcmFrame(const uint8_t frame[AX_ADPCM_FRAME_BYTES], const int16_t coef[16], int16_t* hist1,
                        int16_t* hist2, int16_t out[AX_ADPCM_FRAME_SAMPLES]);
// One ADPCM sample from its 4-bit code, the predictor/scale byte and the
// history, which it advances.
int16_t AXDecodeAdpcmSample(int nibble, uint16_t predScale, const int16_t coef[16], int16_t* hist1, int16_t* hist2);
