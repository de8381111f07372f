#include "Utilities/THP/THP.h"

#include <algorithm>
#include <cstring>

#include "platform/ai.h"
#include "platform/dvd.h"
#include "platform/ps.h"
#include "platform/thp.h"
#include "cCore/cLog.h"
#include "cCore/cThread.h"
#include "Utilities/THP/THPDraw.h"

const uint16_t THPVolumeTable[128] = {
        0,     2,     8,    18,    32,    50,    73,    99,   130,   164,   203,   245,   292,   343,   398,   457,
      520,   587,   658,   733,   812,   895,   983,  1074,  1170,  1269,  1373,  1481,  1592,  1708,  1828,  1952,
     2080,  2212,  2348,  2488,  2632,  2781,  2933,  3090,  3250,  3415,  3583,  3756,  3933,  4114,  4298,  4487,
     4680,  4877,  5079,  5284,  5493,  5706,  5924,  6145,  6371,  6600,  6834,  7072,  7313,  7559,  7809,  8063,
     8321,  8583,  8849,  9119,  9394,  9672,  9954, 10241, 10531, 10826, 11125, 11427, 11734, 12045, 12360, 12679,
    13002, 13329, 13660, 13995, 14335, 14678, 15025, 15377, 15732, 16092, 16456, 16823, 17195, 17571, 17951, 18335,
    18723, 19115, 19511, 19911, 20316, 20724, 21136, 21553, 21974, 22398, 22827, 23260, 23696, 24137, 24582, 25031,
    25484, 25941, 26402, 26868, 27337, 27810, 28288, 28769, 29255, 29744, 30238, 30736, 31238, 31744, 32254, 32768,
};

const char* THPDecodeResultText(int value)
{
#define QM_THP_DECODE_TEXT(name, value, note) \
    case value: return #name;
    switch (value) {
        THP_DECODE_RESULT_LIST(QM_THP_DECODE_TEXT)
    default: return "???";
    }
#undef QM_THP_DECODE_TEXT
}

namespace {

constexpr uint32_t kAlign = 32;
constexpr uint32_t kFrameWords = 8;  // next and previous frame sizes before the component sizes
constexpr uint32_t kDmaBytes = THP_AUDIO_PAIRS_PER_DMA * 4;
constexpr uint32_t kMaxPictureSide = 0x7FFF;           // the drawing takes signed 16-bit sizes
constexpr uint32_t kMaxNeedMemory = 0x7FFFFFFF - kAlign;  // the caller adds its alignment slack

struct ReadBuffer {
    uint8_t* ptr = nullptr;
    uint32_t size = 0;       // bytes of the frame it holds
    int32_t frameNumber = 0;
    bool valid = false;
};

struct AudioBuffer {
    int16_t* buffer = nullptr;  // host-order stereo pairs
    int16_t* curPtr = nullptr;
    uint32_t validSample = 0;   // pairs left to play
};

// The player's one control record. Fields the interrupt-time code touches
// are read and written with interrupts disabled on the main thread.
struct Player {
    bool initialized = false;
    bool audioSystem = false;
    THPReadCallback readCallback = nullptr;
    AIDCallback oldCallback = nullptr;

    DVDFileInfo fileInfo;
    THPHeader header = {};
    uint8_t compTypes[THP_MAX_COMPONENTS] = {};
    uint32_t numComponents = 0;
    THPVideoInfo videoInfo = {};
    THPAudioInfo audioInfo = {};
    bool open = false;
    bool preLoaded = false;
    bool audioPlaying = false;
    bool loop = false;
    bool audioExist = false;

    uint32_t curOffset = 0;   // disc position of the next frame to read
    uint32_t curSize = 0;     // and its size
    int32_t readIndex = 0;
    int32_t decodeIndex = 0;
    int32_t readFrames = 0;   // frames read since the start
    bool readProgress = false;
    bool readError = false;
    ReadBuffer readBuffer[THP_READ_BUFFERS];

    uint8_t* yImage = nullptr;
    uint8_t* uImage = nullptr;
    uint8_t* vImage = nullptr;
    uint8_t* work = nullptr;
    int32_t curFrame = -1;

    AudioBuffer audioBuffer[THP_AUDIO_BUFFERS];
    int32_t audioDecodeIndex = 0;
    int32_t audioOutputIndex = 0;

    float curVolume = 0.0f;
    float targetVolume = 0.0f;
    float deltaVolume = 0.0f;
    int32_t rampCount = 0;
};

Player s_player;

// The two blocks the DMA plays in turn, and the voice library's block that
// the mix takes as its source.
alignas(32) uint8_t s_outBuffer[2][kDmaBytes];
int s_nOutBuffer = 0;
const uint8_t* s_pLastDmaBlock = nullptr;

uint64_t RoundUp(uint64_t n)
{
    return (n + kAlign - 1) / kAlign * kAlign;
}

// The sizes below are computed in 64 bits from header values the opener has
// bounded; their total is checked against kMaxNeedMemory before any is used.
uint64_t PlaneBytes()
{
    return RoundUp(uint64_t{s_player.videoInfo.xSize} * s_player.videoInfo.ySize);
}

uint64_t ChromaBytes()
{
    return RoundUp(uint64_t{s_player.videoInfo.xSize} * s_player.videoInfo.ySize / 4);
}

uint64_t ReadBufferBytes()
{
    return RoundUp(s_player.header.bufSize);
}

uint64_t AudioBufferBytes()
{
    return RoundUp(uint64_t{s_player.header.audioMaxSamples} * 4);
}

uint64_t NeedMemory()
{
    uint64_t size = THP_READ_BUFFERS * ReadBufferBytes() + PlaneBytes() + 2 * ChromaBytes() + THP_WORK_AREA_SIZE;
    if (s_player.audioExist)
        size += THP_AUDIO_BUFFERS * AudioBufferBytes();
    return size;
}

// The frame number of the n-th frame read; a movie without frames has none.
int32_t FrameNumber(int32_t n)
{
    return s_player.header.numFrames ? n % static_cast<int32_t>(s_player.header.numFrames) : n;
}

// A read that waits, calling the read callback meanwhile (it passes disc
// errors on to the file layer). False when the transfer failed.
bool ReadSync(void* dst, uint32_t length, uint32_t offset)
{
    if (!DVDReadAsyncPrio(&s_player.fileInfo, dst, static_cast<int32_t>(length), static_cast<int32_t>(offset),
                          nullptr, THP_READ_PRIORITY))
        return false;
    int32_t state;
    while ((state = DVDGetCommandBlockStatus(&s_player.fileInfo.cb)) == DVD_STATE_BUSY || state == DVD_STATE_WAITING) {
        if (s_player.readCallback)
            s_player.readCallback();
        cThread::Yield();
    }
    return state == DVD_STATE_END;
}

// Where the frame after the one just read lies: next in the file, or back
// at the first when a looping movie has read its last.
void AdvanceReadPosition(const uint8_t* frame)
{
    s_player.curOffset += s_player.curSize;
    s_player.curSize = ps::LoadU32BE(frame);
    ++s_player.readFrames;
    if (s_player.loop && s_player.header.numFrames && FrameNumber(s_player.readFrames) == 0) {
        s_player.curOffset = s_player.header.movieDataOffsets;
        s_player.curSize = s_player.header.firstFrameSize;
    }
}

bool AllRead()
{
    return !s_player.loop && s_player.readFrames >= static_cast<int32_t>(s_player.header.numFrames);
}

// A frame size the buffers can hold and that has room for its own sizes.
bool FrameSizeFits(uint32_t size)
{
    return size >= kFrameWords + 4 * s_player.numComponents && size <= s_player.header.bufSize;
}

void ReadFrameAsync();

// Disc-read completion, at interrupt time.
void ReadCallback(int32_t result, DVDFileInfo*)
{
    s_player.readProgress = false;
    if (result < 0) {
        s_player.readError = true;
        return;
    }
    ReadBuffer& buf = s_player.readBuffer[s_player.readIndex];
    buf.valid = true;
    buf.size = s_player.curSize;
    buf.frameNumber = FrameNumber(s_player.readFrames);
    AdvanceReadPosition(buf.ptr);
    s_player.readIndex = (s_player.readIndex + 1) % THP_READ_BUFFERS;
    ReadFrameAsync();
}

// Starts reading the next frame into the next buffer when that buffer is
// free, no read is active and none failed. Interrupts disabled.
void ReadFrameAsync()
{
    if (!s_player.open || s_player.readProgress || s_player.readError || AllRead())
        return;
    ReadBuffer& buf = s_player.readBuffer[s_player.readIndex];
    if (buf.valid)
        return;
    // A frame larger than the header's largest would overrun its buffer:
    // the file is damaged, so reading stops as on a disc error.
    if (!FrameSizeFits(s_player.curSize)) {
        cLogError_("THP: frame %d claims %u bytes; the movie's frames hold %u at most", s_player.readFrames,
                   s_player.curSize, s_player.header.bufSize);
        s_player.readError = true;
        return;
    }
    s_player.readProgress = true;
    if (!DVDReadAsyncPrio(&s_player.fileInfo, buf.ptr, static_cast<int32_t>(RoundUp(s_player.curSize)),
                          static_cast<int32_t>(s_player.curOffset), ReadCallback, THP_READ_PRIORITY)) {
        s_player.readProgress = false;
        s_player.readError = true;
    }
}

float NextVolume()
{
    if (s_player.rampCount > 0) {
        --s_player.rampCount;
        s_player.curVolume += s_player.deltaVolume;
    } else {
        s_player.curVolume = s_player.targetVolume;
    }
    return s_player.curVolume;
}

int16_t MixSample(const uint8_t* src, int index, int16_t movie, int32_t gain)
{
    const int32_t base = src ? ps::LoadS16BE(src + 2 * index) : 0;
    const int32_t mixed = base + ((gain * movie) >> 15);
    return static_cast<int16_t>(std::clamp(mixed, -32768, 32767));
}

// The next movie sample pair, or none when no decoded audio is waiting.
bool NextMoviePair(int16_t* pLeft, int16_t* pRight)
{
    for (int tries = 0; tries < THP_AUDIO_BUFFERS; ++tries) {
        AudioBuffer& ab = s_player.audioBuffer[s_player.audioOutputIndex];
        if (ab.validSample > 0) {
            *pLeft = ab.curPtr[0];
            *pRight = ab.curPtr[1];
            ab.curPtr += 2;
            --ab.validSample;
            return true;
        }
        // An exhausted buffer hands over to the next one only when that one
        // has been filled; otherwise the ring waits here.
        const int next = (s_player.audioOutputIndex + 1) % THP_AUDIO_BUFFERS;
        if (s_player.audioBuffer[next].validSample == 0)
            return false;
        s_player.audioOutputIndex = next;
    }
    return false;
}

// The audio interface's DMA interrupt: the voice library makes its block,
// which is taken as the source of the next one, and the movie's samples are
// mixed over it into the block the DMA plays now.
void MixAudio()
{
    const uint8_t* src = s_player.audioSystem ? s_pLastDmaBlock : nullptr;
    if (s_player.oldCallback)
        s_player.oldCallback();
    if (s_player.audioSystem)
        s_pLastDmaBlock = static_cast<const uint8_t*>(AIGetDMAStartAddr());
    s_nOutBuffer ^= 1;
    uint8_t* dst = s_outBuffer[s_nOutBuffer];
    AIInitDMA(dst, kDmaBytes);
    const bool bMovie = s_player.open && s_player.audioExist && s_player.audioPlaying;
    for (uint32_t i = 0; i < THP_AUDIO_PAIRS_PER_DMA; ++i) {
        int16_t left = 0, right = 0;
        int32_t gain = 0;
        if (bMovie && NextMoviePair(&left, &right))
            gain = THPVolumeTable[std::clamp(static_cast<int>(NextVolume()), 0, THP_MAX_VOLUME)];
        ps::StoreS16BE(dst + 4 * i, MixSample(src, static_cast<int>(2 * i), left, gain));
        ps::StoreS16BE(dst + 4 * i + 2, MixSample(src, static_cast<int>(2 * i + 1), right, gain));
    }
}

bool ReadHeader(const char* path)
{
    alignas(32) uint8_t block[RoundUp(THP_HEADER_SIZE)];
    if (!ReadSync(block, sizeof(block), 0)) {
        cLogError_("THP: cannot read the header of \"%s\"", path);
        return false;
    }
    THPHeader& h = s_player.header;
    std::memcpy(h.magic, block, 4);
    h.version = ps::LoadU32BE(block + 0x04);
    h.bufSize = ps::LoadU32BE(block + 0x08);
    h.audioMaxSamples = ps::LoadU32BE(block + 0x0C);
    h.frameRate = ps::LoadF32BE(block + 0x10);
    h.numFrames = ps::LoadU32BE(block + 0x14);
    h.firstFrameSize = ps::LoadU32BE(block + 0x18);
    h.movieDataSize = ps::LoadU32BE(block + 0x1C);
    h.compInfoDataOffsets = ps::LoadU32BE(block + 0x20);
    h.offsetDataOffsets = ps::LoadU32BE(block + 0x24);
    h.movieDataOffsets = ps::LoadU32BE(block + 0x28);
    h.finalFrameDataOffsets = ps::LoadU32BE(block + 0x2C);
    if (std::memcmp(h.magic, "THP", 4) != 0) {
        cLogError_("THP: \"%s\" is not a movie", path);
        return false;
    }
    if (h.version != THP_VERSION) {
        cLogError_("THP: \"%s\" is of version %08X; only %08X is played", path, h.version, THP_VERSION);
        return false;
    }
    // No frame is larger than the file, and every frame holds at least its
    // two size words: larger claims come from a damaged file.
    const uint32_t fileBytes = s_player.fileInfo.length;
    if (h.bufSize > fileBytes || h.numFrames > fileBytes / kFrameWords || !(h.frameRate > 0.0f)) {
        cLogError_("THP: \"%s\" (%u bytes) claims %u frames of at most %u bytes at %g a second", path, fileBytes,
                   h.numFrames, h.bufSize, h.frameRate);
        return false;
    }
    return true;
}

// Refuses only what could not be decoded and drawn safely: a picture whose
// sizes do not fit the drawing's 16-bit coordinates, audio samples a frame
// cannot hold (a sample takes at least four bits), and buffers that would
// not fit in memory. Pictures the decoder cannot tile fail frame by frame.
bool SizesFit(const char* path, bool bVideo)
{
    const THPVideoInfo& v = s_player.videoInfo;
    if (!bVideo || v.xSize == 0 || v.ySize == 0 || v.xSize > kMaxPictureSide || v.ySize > kMaxPictureSide) {
        cLogError_("THP: \"%s\" has no picture of a size that can be shown (%ux%u)", path, v.xSize, v.ySize);
        return false;
    }
    const uint32_t samples = s_player.header.audioMaxSamples;
    if (s_player.audioExist && samples > 2ull * s_player.header.bufSize) {
        cLogError_("THP: \"%s\" claims %u audio samples a frame; its frames of %u bytes hold at most %llu", path,
                   samples, s_player.header.bufSize, 2ull * s_player.header.bufSize);
        return false;
    }
    if (NeedMemory() > kMaxNeedMemory) {
        cLogError_("THP: \"%s\" needs %llu bytes of buffers; at most %u are given", path,
                   static_cast<unsigned long long>(NeedMemory()), kMaxNeedMemory);
        return false;
    }
    return true;
}

// The component table: the count, sixteen kinds, then each component's
// information in order.
bool ReadComponents(const char* path)
{
    alignas(32) uint8_t block[RoundUp(4 + THP_MAX_COMPONENTS + THP_MAX_COMPONENTS * 16)];
    if (!ReadSync(block, sizeof(block), s_player.header.compInfoDataOffsets)) {
        cLogError_("THP: cannot read the component table of \"%s\"", path);
        return false;
    }
    const uint32_t count = ps::LoadU32BE(block);
    if (count == 0 || count > THP_MAX_COMPONENTS) {
        cLogError_("THP: \"%s\" has %u components (1 to %u)", path, count, THP_MAX_COMPONENTS);
        return false;
    }
    std::memcpy(s_player.compTypes, block + 4, THP_MAX_COMPONENTS);
    const uint8_t* info = block + 4 + THP_MAX_COMPONENTS;
    // A second video or audio component is decoded with the first one's
    // information, into the same planes and audio buffers.
    bool bVideo = false;
    for (uint32_t i = 0; i < count; ++i) {
        if (s_player.compTypes[i] == THP_VIDEO_COMP) {
            if (!bVideo)
                s_player.videoInfo = {ps::LoadU32BE(info), ps::LoadU32BE(info + 4), ps::LoadU32BE(info + 8)};
            bVideo = true;
            info += 12;
        } else if (s_player.compTypes[i] == THP_AUDIO_COMP) {
            if (!s_player.audioExist)
                s_player.audioInfo = {ps::LoadU32BE(info), ps::LoadU32BE(info + 4), ps::LoadU32BE(info + 8),
                                      ps::LoadU32BE(info + 12)};
            s_player.audioExist = true;
            info += 16;
        } else {
            cLogError_("THP: component %u of \"%s\" is of kind %u, which is not played", i, path,
                       s_player.compTypes[i]);
            return false;
        }
    }
    s_player.numComponents = count;
    return SizesFit(path, bVideo);
}

void ResetReadState()
{
    for (ReadBuffer& buf : s_player.readBuffer) {
        buf.valid = false;
        buf.size = 0;
    }
    for (AudioBuffer& ab : s_player.audioBuffer) {
        ab.curPtr = ab.buffer;
        ab.validSample = 0;
    }
    s_player.curOffset = s_player.header.movieDataOffsets;
    s_player.curSize = s_player.header.firstFrameSize;
    s_player.readIndex = s_player.decodeIndex = s_player.readFrames = 0;
    s_player.audioDecodeIndex = s_player.audioOutputIndex = 0;
    s_player.readProgress = s_player.readError = false;
    s_player.curFrame = -1;
}

// The size of one component's data in the frame (an audio component holds
// all its tracks).
uint64_t ComponentBytes(uint32_t i, uint32_t size)
{
    return s_player.compTypes[i] == THP_AUDIO_COMP ? uint64_t{size} * s_player.audioInfo.sndNumTracks : size;
}

// Checks that the frame's components lie inside the bytes read.
bool ComponentsFit(const ReadBuffer& buf)
{
    uint64_t end = kFrameWords + 4ull * s_player.numComponents;
    for (uint32_t i = 0; i < s_player.numComponents; ++i)
        end += ComponentBytes(i, ps::LoadU32BE(buf.ptr + kFrameWords + 4 * i));
    return end <= buf.size;
}

int32_t DecodeAudio(const uint8_t* data, uint32_t size, int32_t track)
{
    AudioBuffer& ab = s_player.audioBuffer[s_player.audioDecodeIndex];
    const uint32_t samples = THPAudioDecode(ab.buffer, data + static_cast<size_t>(track) * size, size,
                                            s_player.audioInfo.sndChannels, s_player.header.audioMaxSamples);
    OSInterruptScope off;
    ab.curPtr = ab.buffer;
    ab.validSample = samples;
    s_player.audioDecodeIndex = (s_player.audioDecodeIndex + 1) % THP_AUDIO_BUFFERS;
    return THP_DECODE_OK;
}

}  // namespace

BOOL THPSimpleInit(BOOL audioSystem, THPReadCallback readCallback)
{
    {
        OSInterruptScope off;
        s_player = Player();
    }
    if (!THPInit())
        return FALSE;
    s_player.audioSystem = audioSystem != FALSE;
    s_player.readCallback = readCallback;
    {
        OSInterruptScope off;
        s_pLastDmaBlock = nullptr;
        s_player.oldCallback = AIRegisterDMACallback(MixAudio);
        if (!s_player.oldCallback && s_player.audioSystem) {
            AIRegisterDMACallback(nullptr);
            cLogError_("THP: an audio system was announced, but the audio interface has no callback");
            return FALSE;
        }
    }
    if (!s_player.audioSystem) {
        std::memset(s_outBuffer, 0, sizeof(s_outBuffer));
        AIInitDMA(s_outBuffer[0], kDmaBytes);
        AIStartDMA();
    }
    s_player.initialized = true;
    return TRUE;
}

void THPSimpleQuit()
{
    OSInterruptScope off;
    if (s_player.initialized)
        AIRegisterDMACallback(s_player.oldCallback);
    s_player.initialized = false;
}

BOOL THPSimpleOpen(const char* path)
{
    if (!s_player.initialized || s_player.open || !path) {
        cLogError_("THP: cannot open \"%s\": %s", path ? path : "(none)",
                   s_player.open ? "a movie is open" : "the player is not started");
        return FALSE;
    }
    if (!DVDOpen(path, &s_player.fileInfo)) {
        cLogError_("THP: no movie \"%s\"", path);
        return FALSE;
    }
    s_player.audioExist = false;
    s_player.numComponents = 0;
    if (!ReadHeader(path) || !ReadComponents(path)) {
        DVDClose(&s_player.fileInfo);
        s_player.audioExist = false;
        return FALSE;
    }
    OSInterruptScope off;
    s_player.open = true;
    s_player.preLoaded = s_player.audioPlaying = s_player.loop = false;
    ResetReadState();
    s_player.curVolume = s_player.targetVolume = static_cast<float>(THP_MAX_VOLUME);
    s_player.rampCount = 0;
    return TRUE;
}

BOOL THPSimpleClose()
{
    if (!s_player.open || s_player.preLoaded || s_player.audioPlaying || s_player.readProgress)
        return FALSE;
    DVDClose(&s_player.fileInfo);
    OSInterruptScope off;
    s_player.open = false;
    s_player.audioExist = false;
    return TRUE;
}

uint32_t THPSimpleCalcNeedMemory()
{
    if (!s_player.open)
        return 0;
    return static_cast<uint32_t>(NeedMemory());  // bounded when the movie was opened
}

BOOL THPSimpleSetBuffer(uint8_t* buffer)
{
    if (!s_player.open || s_player.preLoaded || !buffer || reinterpret_cast<uintptr_t>(buffer) % kAlign != 0)
        return FALSE;
    OSInterruptScope off;  // the mix reads the audio buffers
    uint8_t* p = buffer;
    s_player.yImage = p;
    p += PlaneBytes();
    s_player.uImage = p;
    p += ChromaBytes();
    s_player.vImage = p;
    p += ChromaBytes();
    for (ReadBuffer& buf : s_player.readBuffer) {
        buf.ptr = p;
        p += ReadBufferBytes();
    }
    for (AudioBuffer& ab : s_player.audioBuffer) {
        ab.buffer = ab.curPtr = s_player.audioExist ? reinterpret_cast<int16_t*>(p) : nullptr;
        if (s_player.audioExist)
            p += AudioBufferBytes();
    }
    s_player.work = p;
    return TRUE;
}

BOOL THPSimplePreLoad(BOOL loop)
{
    if (!s_player.open || s_player.preLoaded || !s_player.readBuffer[0].ptr)
        return FALSE;
    s_player.loop = loop != FALSE;
    const uint32_t frames = s_player.header.numFrames;
    const uint32_t count = s_player.loop && frames ? THP_READ_BUFFERS : std::min<uint32_t>(THP_READ_BUFFERS, frames);
    for (uint32_t i = 0; i < count; ++i) {
        ReadBuffer& buf = s_player.readBuffer[s_player.readIndex];
        if (!FrameSizeFits(s_player.curSize) || !ReadSync(buf.ptr, static_cast<uint32_t>(RoundUp(s_player.curSize)), s_player.curOffset)) {
            cLogError_("THP: frame %d (%u bytes at %u) cannot be read", s_player.readFrames, s_player.curSize,
                       s_player.curOffset);
            return FALSE;
        }
        buf.valid = true;
        buf.size = s_player.curSize;
        buf.frameNumber = FrameNumber(s_player.readFrames);
        AdvanceReadPosition(buf.ptr);
        s_player.readIndex = (s_player.readIndex + 1) % THP_READ_BUFFERS;
    }
    s_player.preLoaded = true;
    return TRUE;
}

BOOL THPSimpleAudioStart()
{
    OSInterruptScope off;
    s_player.audioPlaying = true;
    return TRUE;
}

BOOL THPSimpleAudioStop()
{
    OSInterruptScope off;
    s_player.audioPlaying = false;
    return TRUE;
}

BOOL THPSimpleLoadStop()
{
    if (!s_player.open || s_player.audioPlaying)
        return FALSE;
    {
        OSInterruptScope off;
        if (s_player.readProgress)
            DVDCancel(&s_player.fileInfo.cb);
        ResetReadState();
        s_player.rampCount = 0;
        s_player.curVolume = s_player.targetVolume;
        // Not preloaded any more, so the movie can be closed.
        s_player.preLoaded = false;
    }
    return TRUE;
}

int32_t THPSimpleDecode(int32_t track)
{
    if (!s_player.open || !s_player.preLoaded)
        return THP_DECODE_NOT_READ;
    ReadBuffer* pBuf;
    {
        OSInterruptScope off;
        pBuf = &s_player.readBuffer[s_player.decodeIndex];
        if (!pBuf->valid)
            return s_player.readError ? THP_DECODE_READ_FAILED : THP_DECODE_NOT_READ;
    }
    if (s_player.audioExist) {
        if (track < 0 || static_cast<uint32_t>(track) >= s_player.audioInfo.sndNumTracks)
            return THP_DECODE_BAD_TRACK;
        OSInterruptScope off;
        if (s_player.audioBuffer[s_player.audioDecodeIndex].validSample != 0)
            return THP_DECODE_AUDIO_BUSY;
    }
    if (!ComponentsFit(*pBuf)) {
        cLogError_("THP: frame %d's components run past its %u bytes", pBuf->frameNumber, pBuf->size);
        return THP_DECODE_VIDEO_FAILED;
    }
    const uint8_t* data = pBuf->ptr + kFrameWords + 4 * s_player.numComponents;
    for (uint32_t i = 0; i < s_player.numComponents; ++i) {
        const uint32_t size = ps::LoadU32BE(pBuf->ptr + kFrameWords + 4 * i);
        if (s_player.compTypes[i] == THP_VIDEO_COMP) {
            const THPVideoInfo& v = s_player.videoInfo;
            const int32_t result = THPVideoDecode(data, size, v.xSize, v.ySize, s_player.yImage, s_player.uImage,
                                                  s_player.vImage, s_player.work);
            if (result != THP_VIDEO_OK) {
                cLogError_("THP: frame %d's picture does not decode: %s", pBuf->frameNumber, THPVideoResultText(result));
                return THP_DECODE_VIDEO_FAILED;
            }
            // The planes are texture memory the graphics layer reads.
            DCStoreRangeNoSync(s_player.yImage, static_cast<uint32_t>(PlaneBytes()));
            DCStoreRangeNoSync(s_player.uImage, static_cast<uint32_t>(2 * ChromaBytes()));
        } else {
            DecodeAudio(data, size, track);
        }
        data += ComponentBytes(i, size);
    }
    OSInterruptScope off;
    s_player.curFrame = pBuf->frameNumber;
    pBuf->valid = false;
    s_player.decodeIndex = (s_player.decodeIndex + 1) % THP_READ_BUFFERS;
    ReadFrameAsync();
    return THP_DECODE_OK;
}

int32_t THPSimpleDrawCurrentFrame(const GXRenderModeObj* rmode, uint32_t x, uint32_t y, uint32_t polygonW,
                                  uint32_t polygonH)
{
    if (!s_player.open || s_player.curFrame < 0 || !rmode)
        return -1;
    THPGXYuv2RgbSetup(rmode);
    THPGXYuv2RgbDraw(s_player.yImage, s_player.uImage, s_player.vImage, static_cast<int16_t>(x),
                     static_cast<int16_t>(y), static_cast<int16_t>(s_player.videoInfo.xSize),
                     static_cast<int16_t>(s_player.videoInfo.ySize), static_cast<int16_t>(polygonW),
                     static_cast<int16_t>(polygonH));
    THPGXRestore();
    return s_player.curFrame;
}

BOOL THPSimpleSetVolume(int32_t volume, int32_t time)
{
    if (!s_player.open || !s_player.audioExist || volume < 0 || volume > THP_MAX_VOLUME || time < 0 ||
        time > THP_MAX_RAMP_MS)
        return FALSE;
    const int32_t samplesPerMs = AIGetDSPSampleRate() == AI_SAMPLERATE_48KHZ ? 48 : 32;
    OSInterruptScope off;
    s_player.targetVolume = static_cast<float>(volume);
    if (time > 0) {
        s_player.rampCount = samplesPerMs * time;
        s_player.deltaVolume = (s_player.targetVolume - s_player.curVolume) / static_cast<float>(s_player.rampCount);
    } else {
        s_player.rampCount = 0;
        s_player.curVolume = s_player.targetVolume;
    }
    return TRUE;
}

int32_t THPSimpleGetVolume()
{
    OSInterruptScope off;
    return static_cast<int32_t>(s_player.curVolume);
}

uint32_t THPSimpleGetTotalFrame()
{
    return s_player.open ? s_player.header.numFrames : 0;
}

float THPSimpleGetFrameRate()
{
    return s_player.open ? s_player.header.frameRate : 0.0f;
}

BOOL THPSimpleGetVideoInfo(THPVideoInfo* info)
{
    if (!s_player.open || !info)
        return FALSE;
    *info = s_player.videoInfo;
    return TRUE;
}

BOOL THPSimpleGetAudioInfo(THPAudioInfo* info)
{
    if (!s_player.open || !s_player.audioExist || !info)
        return FALSE;
    *info = s_player.audioInfo;
    return TRUE;
}
