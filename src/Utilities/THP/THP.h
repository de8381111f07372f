#pragma once
// The movie player: one THP movie at a time, read ahead from disc into a
// ring of ten frame buffers by asynchronous reads that chain from their
// completions, decoded frame by frame (video into three planes, one audio
// track into a ring of three sample buffers), its audio mixed into the
// audio interface's output at each DMA interrupt, and its picture drawn
// with THPSimpleDrawCurrentFrame. Calls come from the main thread; read
// completions and the mix run at interrupt time. The caller owns the
// buffer given to THPSimpleSetBuffer until THPSimpleClose.

#include <cstdint>

#include "platform/gx.h"
#include "platform/os.h"

// The file's header, as stored (big-endian on disc, host order here).
struct THPHeader {
    char magic[4];
    uint32_t version;
    uint32_t bufSize;          // largest frame, bytes
    uint32_t audioMaxSamples;  // largest audio sample count of a frame; 0 without audio
    float frameRate;
    uint32_t numFrames;
    uint32_t firstFrameSize;
    uint32_t movieDataSize;
    uint32_t compInfoDataOffsets;
    uint32_t offsetDataOffsets;
    uint32_t movieDataOffsets;       // the first frame
    uint32_t finalFrameDataOffsets;  // the last frame
};

struct THPVideoInfo {
    uint32_t xSize;
    uint32_t ySize;
    uint32_t videoType;
};

struct THPAudioInfo {
    uint32_t sndChannels;
    uint32_t sndFrequency;
    uint32_t sndNumSamples;
    uint32_t sndNumTracks;
};

constexpr uint32_t THP_VERSION = 0x00011000;   // the only version played
constexpr uint32_t THP_HEADER_SIZE = 48;
constexpr uint32_t THP_MAX_COMPONENTS = 16;
constexpr uint8_t THP_VIDEO_COMP = 0;
constexpr uint8_t THP_AUDIO_COMP = 1;
constexpr uint8_t THP_NOCOMP_COMP = 0xFF;
constexpr int THP_READ_BUFFERS = 10;
constexpr int THP_AUDIO_BUFFERS = 3;
constexpr int32_t THP_READ_PRIORITY = 2;
constexpr uint32_t THP_AUDIO_PAIRS_PER_DMA = 160;  // one 5 ms DMA block of stereo pairs
constexpr int32_t THP_MAX_VOLUME = 127;
constexpr int32_t THP_MAX_RAMP_MS = 60000;

#define THP_DECODE_RESULT_LIST(X)                                                    \
    X(THP_DECODE_OK, 0, "a frame was decoded")                                       \
    X(THP_DECODE_VIDEO_FAILED, 1, "the frame's picture does not decode")            \
    X(THP_DECODE_NOT_READ, 2, "the next frame has not been read yet")               \
    X(THP_DECODE_AUDIO_BUSY, 3, "the next audio buffer is still playing")           \
    X(THP_DECODE_BAD_TRACK, 4, "no such audio track")                               \
    X(THP_DECODE_READ_FAILED, 5, "reading stopped on a disc error or a damaged frame")
#define QM_THP_DECODE_ENTRY(name, value, note) name = value,
enum THPDecodeResult : int32_t { THP_DECODE_RESULT_LIST(QM_THP_DECODE_ENTRY) };
const char* THPDecodeResultText(int value);

// Called again and again while a synchronous read waits.
typedef void (*THPReadCallback)();

// Starts the decoders and installs the mix as the audio interface's DMA
// callback, keeping the one before it (the voice library's) to run first.
// With no audio system the player starts the DMA itself on silence. FALSE
// when the decoders do not start, or when an audio system is said to be
// there but no callback is installed.
BOOL THPSimpleInit(BOOL audioSystem, THPReadCallback readCallback);
// Puts the previous DMA callback back.
void THPSimpleQuit();

// Opens a movie (console path) and reads its header and component table.
// FALSE (logged) while not initialised or a movie is open, and for a file
// that is not a movie this player plays; the file is closed again then.
BOOL THPSimpleOpen(const char* path);
// Closes the movie; refused while preloaded, while audio plays or while a
// read is active.
BOOL THPSimpleClose();
// Bytes THPSimpleSetBuffer needs for the open movie (0 when none).
uint32_t THPSimpleCalcNeedMemory();
// Lays out the planes, read buffers, audio buffers and work area in the
// buffer (32-byte aligned, THPSimpleCalcNeedMemory bytes).
BOOL THPSimpleSetBuffer(uint8_t* buffer);
// Reads the first min(10, frames) frames (10 when looping) before playing.
BOOL THPSimplePreLoad(BOOL loop);
BOOL THPSimpleAudioStart();
BOOL THPSimpleAudioStop();
// Stops reading (cancels a read in flight), forgets every buffer and the
// decoded frame, rewinds and clears the preloaded state. Refused while
// audio plays.
BOOL THPSimpleLoadStop();
// Decodes the next frame with the given audio track: a THPDecodeResult.
int32_t THPSimpleDecode(int32_t track);
// Draws the decoded frame into the embedded frame buffer: -1 when no frame
// is decoded, else its frame number.
int32_t THPSimpleDrawCurrentFrame(const GXRenderModeObj* rmode, uint32_t x, uint32_t y, uint32_t polygonW,
                                  uint32_t polygonH);
// Volume 0..127, reached over time ms (0..60000; 0: at once).
BOOL THPSimpleSetVolume(int32_t volume, int32_t time);
int32_t THPSimpleGetVolume();
uint32_t THPSimpleGetTotalFrame();
float THPSimpleGetFrameRate();
BOOL THPSimpleGetVideoInfo(THPVideoInfo* info);
BOOL THPSimpleGetAudioInfo(THPAudioInfo* info);

// The gain of each of the 128 volume steps: 32768 x (i / 127)^2, truncated.
extern const uint16_t THPVolumeTable[128];
