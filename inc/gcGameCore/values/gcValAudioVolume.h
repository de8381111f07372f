#pragma once
// The volume of one fader of a mixer channel group; assignable. The main
// fader is set at once, a user fader fades toward the value over a second.
// Read with its owner into its pool; main thread. Type id 212.

#include <cstdint>

#include "eEngine/eAudio.h"
#include "gcGameCore/script/gcLValue.h"

class gcValAudioVolume : public gcLValue {
    QM_DECLARE_TYPE(gcValAudioVolume)
public:
    static constexpr uint32_t kVersion = 2;
    static constexpr uint32_t kMinVersion = 1;
    enum gcFader : int32_t { FADER_MAIN = 0, FADER_USER1 = 1, FADER_USER2 = 2, MAX_FADERS = 3 };

    gcValAudioVolume() = default;
    gcValAudioVolume(int32_t fader, int32_t group) : nFaderId(fader), audioGroup(group) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the gcLValue block, the group, then the fader.
    void Write(const cFile& file) const override;
    // Versions 1 and 2 (others skipped, false); version 1 has no fader and
    // addresses the main one. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // The main fader's volume, or a user fader's scale; 0.0 for a group or
    // fader outside the mixer.
    float Get(const gcEventParams& params) const override;
    // "SoundEffects.Main.Volume"
    void GetText(char* pBuf) const override;
    // The value pulled into 0..1; ignored for a group or fader outside the
    // mixer.
    void Set(float fValue, const gcEventParams& params) override;

    static const char* GetFaderText(int32_t fader);  // "" outside 0..2

    int32_t nFaderId = FADER_MAIN;
    int32_t audioGroup = eAudio::ACG_SFX;  // an eAudioChannelGroup as stored

private:
    bool IsValid() const;
};
