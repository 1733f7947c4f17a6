#include "AlsaMidiFixture.h"
#include "engine/SysExProtocol.h"

#include <malloc.h>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// The sanitizers' allocator keeps the heap; their runtime exports this (GCC ships no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace
{
using Bytes = StandInDevice::Bytes;

// What the program holds on its heap now.
long long allocatedBytes()
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return static_cast<long long> (__sanitizer_get_current_allocated_bytes());
#else
    const auto info = mallinfo2();
    return static_cast<long long> (info.uordblks + info.hblkhd);
#endif
}
} // namespace

TEST_F (AlsaMidiFixture, EndlessSysexBounded)
{
    constexpr size_t streamed = 4 << 20, piece = 4096, piecesBetweenWaits = 64;
    constexpr size_t longestIncoming = 64 << 10;
    constexpr long long allowedGrowth = 1 << 20;
    const auto request = [this] (int expectedRequests)
    {
        auto preset = engine->createKarveloPreset();
        engine->requestPreset (SysExProtocol::noSlot, preset);
        EXPECT_TRUE (MessageLoop::runUntil (
            [&] { return results.requests.size() == static_cast<size_t> (expectedRequests); }));
        EXPECT_EQ (results.requests.back(), OrvikEditorEngine::RequestResult::received);
        EXPECT_EQ (preset->getData(), karvelo.getBlock());
    };

    request (1); // what the first exchange allocates for good is not growth
    const auto before = allocatedBytes();

    // A controller gone wrong: a message that starts and never ends, in pieces as a cable delivers it.
    Bytes first (piece, 0x55);
    first[0] = 0xf0;
    karvelo.device.sendSysex (first);

    for (size_t sent = piece; sent < streamed; sent += piece)
    {
        karvelo.device.sendSysex (Bytes (piece, 0x55));

        if ((sent / piece) % piecesBetweenWaits == 0)
        {
            ASSERT_TRUE (StandInSequencer::get().waitUntilTaken());
        }
    }

    ASSERT_TRUE (StandInSequencer::get().waitUntilTaken());
    karvelo.setBlock (blockNumbered (3));
    request (2);
    const auto growth = allocatedBytes() - before;

    EXPECT_LT (growth, allowedGrowth) << "after " << streamed << " bytes of one unterminated message";

    for (auto& message : heard.getMessages())
        EXPECT_LE (static_cast<size_t> (message.size()), longestIncoming);
}
