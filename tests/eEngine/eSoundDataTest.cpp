#include "eEngine/eSoundData.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "cCore/cFile.h"
#include "datagen/blockWriter.h"
#include "datagen/soundWriters.h"
#include "eAudioTestUtil.h"
#include "eEngine/eSoundData.h"
#include "platform/ps.h"
#include "worldTestSupport.h"

namespace {

std::vector<uint32_t> s_transfers;
void RecordTransfer(const ARQRequest* r)
{
    if (r->type == ARQ_TYPE_MRAM_TO_ARAM)
        s_transfers.push_back(r->length);
}

datagen::BlockWriter SoundFile(uint32_t version, uint32_t platformVersion, uint32_t byteSize, uint32_t endOffset,
                               uint32_t looping = 1)
{
    datagen::BlockWriter w;
    w.Header().Begin(version).Begin(1).Begin(1).End().Name("snd").End();
    w.Int(300).Word(looping).Int(22050).Int(16);
    if (version >= 3)
        w.Name("orig");
    w.Begin(platformVersion);
    for (int i = 0; i < 40; ++i)
        w.Byte(static_cast<uint8_t>(0xA0 + i));
    w.Word(byteSize).Word(endOffset);
    for (uint32_t i = 0; i < byteSize; ++i)
        w.Byte(static_cast<uint8_t>(i + 1));
    return w.End().End().Trailer();
}

std::vector<uint8_t> ReadAudioMemory(uint32_t address, uint32_t bytes)
{
    std::vector<uint8_t> out((bytes + 31) & ~31u);
    ARQRequest r;
    ARQPostRequest(&r, 0, ARQ_TYPE_ARAM_TO_MRAM, ARQ_PRIORITY_HIGH, address, reinterpret_cast<uintptr_t>(out.data()),
                   static_cast<uint32_t>(out.size()), nullptr);
    out.resize(bytes);
    return out;
}

class eSoundDataTest : public eAudioTest {
protected:
    bool Read(const std::vector<uint8_t>& bytes, eSoundData* pSound)
    {
        EXPECT_TRUE(datagen::WriteBytes(m_data.HostPath("s.snd"), bytes));
        cFile file;
        return file.Open("/s.snd") && pSound->Read(file, &m_pool);
    }
    eSoundData* Load(const char* path)
    {
        eSoundData* p = dcast<eSoundData>(cBase::Load(path, &m_pool, eSoundData::GetStaticType()));
        if (p)
            m_sounds.push_back(p);
        return p;
    }
    eTestDataDir m_data;
};

TEST_F(eSoundDataTest, RoundTripThroughAudioMemory)
{
    datagen::SoundRecord record =
        datagen::MakeSoundRecord("ss_Beep", datagen::MakeSineTone(1000.0, 9000.0, 500), false);
    record.originalName = "beep_source";
    ASSERT_TRUE(datagen::WriteSoundDataFile(m_data.HostPath("beep.snd"), record));
    const eSoundData* s = Load("/beep.snd");
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->m_name == "ss_Beep");
    EXPECT_TRUE(s->m_originalName == "beep_source");
    EXPECT_EQ(s->m_length, 10) << "500 samples at 32 kHz: 9.4 ticks, rounded up";
    EXPECT_FALSE(s->m_bLooping);
    EXPECT_EQ(s->m_nFrequency, 32000);
    EXPECT_EQ(s->m_nBitsPerSample, 16);
    const eSoundWaveData* w = s->m_pWaveData;
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->m_nByteSize, record.adpcm.bytes.size());
    EXPECT_EQ(w->m_nStartAddress % 64, 0u) << "a 32-byte aligned block, in nibbles";
    EXPECT_EQ(w->m_nEndAddress, w->m_nStartAddress + record.adpcm.nEndOffset);
    EXPECT_TRUE(std::equal(w->m_adpcmHeader, w->m_adpcmHeader + 40, record.adpcm.header));
    EXPECT_EQ(ReadAudioMemory(w->GetAudioAddress(), w->m_nByteSize), record.adpcm.bytes);
    EXPECT_EQ(ARTestLiveBlocks(), m_nBaseBlocks + 1);

}

TEST_F(eSoundDataTest, VersionTwoTakesItsOwnNameAndAnyNonZeroLoopWord)
{
    eSoundData* s = m_pool.New<eSoundData>();
    m_sounds.push_back(s);
    ASSERT_TRUE(Read(SoundFile(2, 1, 64, 100, 5).GetBytes(), s));
    EXPECT_TRUE(s->m_originalName == "snd");
    EXPECT_TRUE(s->m_bLooping);
    EXPECT_EQ(s->m_length, 300);
    EXPECT_EQ(s->m_nFrequency, 22050);
    EXPECT_EQ(s->m_pWaveData->m_nEndAddress - s->m_pWaveData->m_nStartAddress, 100u);
}

TEST_F(eSoundDataTest, RefusedBlocksKeepThePreviousSoundAndNoAudioMemory)
{
    eSoundData* s = m_pool.New<eSoundData>();
    m_sounds.push_back(s);
    ASSERT_TRUE(Read(SoundFile(3, 1, 64, 100).GetBytes(), s));
    const eSoundWaveData* pOldWave = s->m_pWaveData;
    const struct { const char* name; datagen::BlockWriter file; } rows[] = {
        {"version 1", SoundFile(1, 1, 64, 100)},
        {"version 4", SoundFile(4, 1, 64, 100)},
        {"platform version 0", SoundFile(3, 0, 64, 100)},
        {"platform version 2", SoundFile(3, 2, 64, 100)},
        {"end past the sound's block", SoundFile(3, 1, 64, 2 * 96)},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        s->m_name.Set("kept");
        EXPECT_FALSE(Read(r.file.GetBytes(), s));
        EXPECT_TRUE(s->m_name == "kept");
        EXPECT_EQ(s->m_nFrequency, 22050);
        EXPECT_EQ(s->m_pWaveData, pOldWave);
        EXPECT_EQ(ARTestLiveBlocks(), m_nBaseBlocks + 1);
    }
}

TEST_F(eSoundDataTest, SamplesReachAudioMemoryInStagedChunks)
{
    const struct { uint32_t byteSize; std::vector<uint32_t> transfers; } rows[] = {
        {0, {}},
        {1, {32}},
        {16384, {16384}},
        {16385, {16384, 32}},
        {40000, {16384, 16384, 7232}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.byteSize);
        eSoundData* s = m_pool.New<eSoundData>();
        s_transfers.clear();
        const ARQObserver old = ARQTestSetObserver(RecordTransfer);
        const bool ok = Read(SoundFile(3, 1, r.byteSize, 2).GetBytes(), s);
        ARQTestSetObserver(old);
        ASSERT_TRUE(ok);
        EXPECT_EQ(s_transfers, r.transfers);
        const uint32_t address = s->m_pWaveData->GetAudioAddress();
        const uint32_t size = (r.byteSize + 35) & ~31u;  // 0 bytes still take 32
        EXPECT_EQ(eAudioPlatform::AllocARAM(32), address + size) << "the block's size";
        eAudioPlatform::FreeARAM(address + size);
        const std::vector<uint8_t> stored = ReadAudioMemory(address, size);
        for (uint32_t i = 0; i < r.byteSize; i += 4099)
            ASSERT_EQ(stored[i], static_cast<uint8_t>(i + 1)) << i;
        for (uint32_t i = r.byteSize; i < ((r.byteSize + 31) & ~31u); ++i)
            ASSERT_EQ(stored[i], 0) << "the last chunk is padded with zeros";
        std::destroy_at(s);
        EXPECT_EQ(ARTestLiveBlocks(), m_nBaseBlocks);
    }
}

TEST_F(eSoundDataTest, FullAudioMemoryFailsTheRead)
{
    std::vector<uint32_t> hogs;
    for (uint32_t size = AR_MEMORY_SIZE; size >= 32; size /= 2) {
        while (const uint32_t address = eAudioPlatform::AllocARAM(size))
            hogs.push_back(address);
    }
    eSoundData* s = m_pool.New<eSoundData>();
    EXPECT_FALSE(Read(SoundFile(3, 1, 64, 100).GetBytes(), s));
    EXPECT_EQ(s->m_pWaveData, nullptr);
    for (auto it = hogs.rbegin(); it != hogs.rend(); ++it)
        eAudioPlatform::FreeARAM(*it);
    std::destroy_at(s);
}

TEST_F(eSoundDataTest, AudioMemoryIsReleasedExactlyOnce)
{
    eSoundData* s = m_pool.New<eSoundData>();
    ASSERT_TRUE(Read(SoundFile(3, 1, 64, 100).GetBytes(), s));
    const uint32_t address = s->m_pWaveData->GetAudioAddress();
    s->m_pWaveData->Release();
    EXPECT_FALSE(s->m_pWaveData->HoldsMemory());
    const uint32_t other = eAudioPlatform::AllocARAM(96);
    EXPECT_EQ(other, address) << "the freed block is reused";
    std::destroy_at(s);  // must not release the block now held by another
    EXPECT_EQ(ARTestLiveBlocks(), m_nBaseBlocks + 1);
    eAudioPlatform::FreeARAM(other);
}

TEST_F(eSoundDataTest, GroupReleasesItsSoundsWhenDestroyed)
{
    std::vector<datagen::SoundRecord> records;
    for (int i = 0; i < 3; ++i)
        records.push_back(datagen::MakeSoundRecord("sm_S", datagen::MakeNoiseBurst(5000.0, 100 + 50 * i, 1), false));
    ASSERT_TRUE(datagen::WriteSoundDataGroupFile(m_data.HostPath("g.snd"), 600, records));
    auto* group = dcast<eSoundDataGroup>(cBase::Load("/g.snd", &m_pool, eSoundDataGroup::GetStaticType()));
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(ARTestLiveBlocks(), m_nBaseBlocks + 3);
    const eSoundData* s = eSoundDataMgr::GetPtr(eSoundDataMgr::GetHandle(601));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->m_pWaveData->m_nByteSize, 8u * ((150 + 13) / 14));
    EXPECT_EQ(group->m_nMemSize, 0);
    std::destroy_at(group);
    EXPECT_EQ(ARTestLiveBlocks(), m_nBaseBlocks);
    EXPECT_EQ(eSoundDataMgr::s_pInstances[601], nullptr);
}

TEST(eSoundDataNames, SettingsFromTheFileName)
{
    const struct { const char* path; bool ok, looping; eSoundDataChannels channels; } rows[] = {
        {"sounds/ls_Wind_01.wav", true, true, SDC_STEREO},
        {"C:\\snd\\SM_Beep.aif", true, false, SDC_MONO},
        {"lm_", true, true, SDC_MONO},
        {"ss_abcdefghijklmnop.wav", true, false, SDC_STEREO},  // 19 characters
        {"ss_abcdefghijklmnopq.wav", false, false, SDC_MONO},  // 20
        {"xs_Beep", false, false, SDC_MONO},
        {"sx_Beep", false, false, SDC_MONO},
        {"ssBeep", false, false, SDC_MONO},
        {"ss_Be-ep", false, false, SDC_MONO},
        {"s_", false, false, SDC_MONO},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        bool looping = !row.looping;
        eSoundDataChannels channels = row.channels == SDC_MONO ? SDC_STEREO : SDC_MONO;
        EXPECT_EQ(eSoundData::GetSettingsFromFilename(row.path, &looping, &channels), row.ok);
        if (row.ok) {
            EXPECT_EQ(looping, row.looping);
            EXPECT_EQ(channels, row.channels);
        }
    }
}

}  // namespace
