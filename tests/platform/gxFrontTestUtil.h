#pragma once
// Shared set-up of the front-end tests: GX reset before each test, commands
// captured in a queue instead of reaching a backend (the one registered
// before is restored afterwards), and a builder for big-endian bytes.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gx/gxCommand.h"
#include "gx/gxFront_local.h"
#include "platform/gx.h"
#include "platform/ps.h"

// Big-endian byte builder for vertex data, arrays and display lists.
struct BeBytes {
    std::vector<uint8_t> b;
    BeBytes& U8(uint32_t v) { b.push_back(static_cast<uint8_t>(v)); return *this; }
    BeBytes& U16(uint32_t v) { U8(v >> 8); return U8(v); }
    BeBytes& U32(uint32_t v) { U16(v >> 16); return U16(v); }
    BeBytes& F32(float f) { uint8_t t[4]; ps::StoreF32BE(t, f); for (uint8_t x : t) U8(x); return *this; }
    BeBytes& Pad32() { while (b.size() % 32) U8(0); return *this; }
    const uint8_t* data() const { return b.data(); }
    uint32_t size() const { return static_cast<uint32_t>(b.size()); }
};

class GxFrontTest : public testing::Test {
protected:
    void SetUp() override
    {
        GXInit(m_fifo, sizeof(m_fifo));
        Queue().Reopen();
        Drain();
        m_pPrevious = gxSetBackend(&kCapture);
    }
    void TearDown() override
    {
        gxSetBackend(m_pPrevious);
        Drain();
    }

    static gxCommandQueue& Queue()
    {
        static gxCommandQueue queue;
        return queue;
    }
    static void Capture(gxCommand&& cmd) { Queue().Push(std::move(cmd)); }

    // Every draw submitted since the last call, in order.
    static std::vector<gxCommand> Draws()
    {
        std::vector<gxCommand> draws;
        gxCommand cmd;
        while (Queue().TryPop(cmd))
            if (cmd.kind == gxCommandKind::kDraw)
                draws.push_back(std::move(cmd));
        return draws;
    }
    static void Drain() { Draws(); }

    static constexpr gxBackend kCapture = {&GxFrontTest::Capture, nullptr};
    const gxBackend* m_pPrevious = nullptr;
    alignas(32) uint8_t m_fifo[256] = {};
};
