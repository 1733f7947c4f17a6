// The incoming MIDI path: a MIDI manager and an engine on a pair of virtual ports named "Karvelo",
// fed with whatever the input describes, as whole messages or as bytes split anywhere and put
// back together by the reassembly JUCE's ALSA input runs, through the device's own delivery thread
// and JUCE's real message loop, with the input unplugged and plugged in again.
//
// The input is a script of at most 64 steps. Each step is an opcode byte (taken modulo the number
// of steps below) and its arguments; reads past the end give 0.
//
//   send n          sendPreset of a fresh preset holding a valid block made from n
//   request n       requestPreset into a fresh preset holding a valid block made from n
//   ack m [c]       an acknowledgement: m % 4 = 2 one byte short, 3 with command byte c
//   reply n e {o v} m [x]
//                   a PresetData reply carrying a valid block made from n with e % 4 bytes replaced
//                   (block offset o % 138 set to v, any value); m % 5 = 2 one block byte short,
//                   3 one byte x too many, 4 ending in x instead of F7
//   sysex n b...    a system-exclusive message around n payload bytes of any value
//   unterminated n b...
//                   F0 followed by n bytes of any value, with no F7 added
//   raw n b...      n % 4 + 1 raw bytes, sent only if they form a well-formed MIDI message (as
//                   bytes: always)
//   channel k c d v a note on (k % 3 = 0), note off (1) or controller (2) on channel c % 16 + 1
//   realtime r      the one-byte system message F8 + r % 8
//   wait t          runs the message loop for t % 4 ms (12 ms in all at most)
//   drain           dispatches what has been posted to the message thread so far
//   settle          waits for the input to deliver everything and every operation to end
//   bytes s         from now on the steps above send their bytes through the reassembly, in chunks
//                   of s bytes (the rest waits for more bytes or a cut); s = 0: whole messages again
//   cut             sends the bytes waiting as one chunk
//   long h l t p    always as bytes, in chunks of at least 256: F0 and ((h << 8) | l), plus 65536
//                   when t & 4, data bytes made from p, then by t % 4: F7, nothing, a note on, or
//                   F7 with a clock byte in the middle of the data (256 KiB of them per input at
//                   most: they are slow to deliver, and megabytes are the unit test's)
//   unplug          pulls the input out (the bytes waiting are sent first, and may or may not
//                   arrive) and waits until the manager has closed its port
//   plug            plugs in a new input "Karvelo" and waits until the manager has opened it
//
// The input ends with a settle. Invariants: the system-exclusive messages that reach the manager
// from each input are exactly those its messages and bytes hold, where a message of more than
// 64 KiB is dropped whole (a reference works them out a byte at a time), or the first of them for
// an input that was unplugged. Every send ends in exactly one result, 1 (no acknowledgement) or 2
// (acknowledged), and there are exactly as many acknowledged results as acknowledgements reached
// the manager (one that matches no send ends in a result without a preset); every request ends in
// exactly one result, 0 (no input: exactly those made while unplugged), 1 (no reply) or 2
// (received), with no more received than valid replies reached the manager; no result arrives off
// the message thread or inside a call. No preset changes except a requested one that now holds the
// block of a valid reply, each reply used at most once, and no more of them than received results.
// The output carries exactly the SendPreset and RequestPreset messages of the calls made with an
// input open, in order.

#include "FuzzSupport.h"
#include "ResultRecorder.h"
#include "VirtualMidiDevices.h"
#include "engine/KARVELOEditorEngine.h"
#include "engine/SysExProtocol.h"

#include <mutex>

namespace
{
constexpr int engineTimeoutMilliseconds = 2;
constexpr int pollMilliseconds = 1;
constexpr int maxUnplugs = 4;
constexpr int longChunkSize = 256; // the sequencer's pieces of a device's system-exclusive bytes
constexpr int longBytesBudget = 256 * 1024;
constexpr int longestMessage = 64 * 1024;
constexpr int maxSteps = 64;
constexpr int waitBudgetMilliseconds = 12;
constexpr int settleTimeoutMilliseconds = 5000;

constexpr int headerSize = 7;
constexpr int replySize = headerSize + FuzzSupport::blockSize + 1;
constexpr int acknowledgementSize = 10;
constexpr int commandOffset = 4;
constexpr juce::uint8 presetDataCommand = 0x67;
constexpr juce::uint8 acknowledgementCommand = 0x11;

/** Reads the input a byte at a time; past its end every read gives 0. */
class Script
{
public:
    Script (const juce::uint8* bytes, size_t count)
        : data (bytes)
        , size (count)
    {
    }

    bool atEnd() const noexcept { return position >= size; }

    juce::uint8 next() noexcept { return position < size ? data[position++] : 0; }

    ByteArray take (int count)
    {
        ByteArray bytes;

        for (int i = 0; i < count; ++i)
            bytes.add (next());

        return bytes;
    }

private:
    const juce::uint8* data;
    size_t size;
    size_t position = 0;
};

/** A system-exclusive message around any payload, bytes above 127 included. */
juce::MidiMessage sysEx (const ByteArray& payload)
{
    static constexpr juce::uint8 nothing = 0;
    return juce::MidiMessage::createSysExMessage (payload.isEmpty() ? &nothing : payload.begin(),
                                                  payload.size());
}

/** What the editor must send for each call, byte for byte. */
ByteArray sendPresetBytes (const ByteArray& block)
{
    ByteArray bytes{ 0xf0, 0x47, 0x00, 0x31, 0x64, 0x01, 0x0a };
    bytes.addArray (block);
    bytes.add (0xf7);
    return bytes;
}

ByteArray requestPresetBytes()
{
    return { 0xf0, 0x47, 0x00, 0x31, 0x66, 0x00, 0x01, 0xf7 };
}

bool before (juce::uint32 deadline)
{
    return static_cast<int> (deadline - juce::Time::getMillisecondCounter()) > 0;
}

bool isSysEx (const ByteArray& bytes)
{
    return ! bytes.isEmpty() && bytes[0] == 0xf0;
}

/** The system-exclusive messages a byte stream holds, worked out a byte at a time, apart from the
    reassembly under test: F0 starts one and F7 ends it; a one-byte realtime message inside (F8,
    FA to FF) is passed over; any other status byte ends it unfinished, and an F0 starts the next.
    A message longer than 64 KiB, F0 and F7 included, is not delivered. */
class SysExInStream
{
public:
    void push (const ByteArray& bytes, std::vector<ByteArray>& complete)
    {
        for (auto byte : bytes)
        {
            if (! inside)
            {
                if (byte == 0xf0)
                    start();
            }
            else if (byte == 0xf8 || byte >= 0xfa)
            {
                continue;
            }
            else if (byte == 0xf7)
            {
                inside = false;
                message.add (byte);

                if (! tooLong && message.size() <= longestMessage)
                    complete.push_back (message);
            }
            else if (byte >= 0x80)
            {
                inside = false;

                if (byte == 0xf0)
                    start();
            }
            else if (message.size() < longestMessage)
            {
                message.add (byte);
            }
            else
            {
                tooLong = true;
            }
        }
    }

private:
    void start()
    {
        inside = true;
        tooLong = false;
        message = ByteArray{ 0xf0 };
    }

    bool inside = false, tooLong = false;
    ByteArray message;
};

/** Every system-exclusive message the manager hands its listeners: what the engine gets. */
class Tap : public MidiManager::Listener
{
public:
    void handleIncomingMidiMessage (MidiDeviceLayer::Input*, const juce::MidiMessage& message) override
    {
        ByteArray bytes (message.getRawData(), message.getRawDataSize());

        if (isSysEx (bytes))
        {
            const std::lock_guard<std::mutex> sl (lock);
            taken.push_back (bytes);
        }
    }

    std::vector<ByteArray> getTaken() const
    {
        const std::lock_guard<std::mutex> sl (lock);
        return taken;
    }

    size_t getNumTaken() const
    {
        const std::lock_guard<std::mutex> sl (lock);
        return taken.size();
    }

private:
    mutable std::mutex lock;
    std::vector<ByteArray> taken;
};

class Session
{
public:
    Session()
    {
        manager->openMidiInput ("Karvelo");
        manager->openMidiOutput ("Karvelo");
        FuzzSupport::require (manager->getNumOpenMidiInputs() == 1 && manager->getNumOpenMidiOutputs() == 1,
                              "the virtual Karvelo ports did not open");
        engine->addListener (&results);
        manager->addListener (&tap);
        inputs.emplace_back();
    }

    ~Session()
    {
        manager->removeListener (&tap);
        engine->removeListener (&results);
    }

    void run (Script& script)
    {
        enum Step
        {
            send,
            request,
            acknowledgement,
            reply,
            sysex,
            unterminated,
            raw,
            channel,
            realtime,
            wait,
            drain,
            settle,
            asBytes,
            cut,
            longSysEx,
            unplug,
            plug,
            numSteps
        };

        for (int step = 0; step < maxSteps && ! script.atEnd(); ++step)
        {
            switch (script.next() % numSteps)
            {
                case send:
                    sendPreset (script.next());
                    break;
                case request:
                    requestPreset (script.next());
                    break;
                case acknowledgement:
                    injectAcknowledgement (script);
                    break;
                case reply:
                    injectReply (script);
                    break;
                case sysex:
                    inject (sysEx (script.take (script.next())));
                    break;
                case unterminated:
                    injectUnterminated (script);
                    break;
                case raw:
                {
                    const auto bytes = script.take (script.next() % 4 + 1);

                    if (chunkSize > 0)
                        addBytes (bytes, chunkSize);
                    else if (auto message = SysExProtocol::toMidiMessage (bytes.begin(), bytes.size()))
                        inject (*message);

                    break;
                }
                case channel:
                    injectChannelMessage (script);
                    break;
                case realtime:
                {
                    const auto byte = static_cast<juce::uint8> (0xf8 + script.next() % 8);
                    auto message = SysExProtocol::toMidiMessage (&byte, 1);
                    FuzzSupport::require (message.has_value(),
                                          "toMidiMessage refused a one-byte system message");
                    inject (*message);
                    break;
                }
                case wait:
                    runLoopFor (script.next() % 4);
                    break;
                case drain:
                    drainMessages();
                    break;
                case asBytes:
                    sendBytesWaiting();
                    chunkSize = script.next();
                    break;
                case cut:
                    sendBytesWaiting();
                    break;
                case longSysEx:
                    injectLongSysEx (script);
                    break;
                case unplug:
                    unplugInput();
                    break;
                case plug:
                    plugInput();
                    break;
                case settle:
                default:
                    settleEverything();
                    break;
            }
        }

        settleEverything();
    }

    void check() const
    {
        using Send = OrvikEditorEngine::SendResult;
        using Request = OrvikEditorEngine::RequestResult;

        // What reached the manager, input by input: all its system-exclusive messages, or the
        // first of them when it was unplugged.
        const auto taken = tap.getTaken();

        for (auto& life : inputs)
        {
            const auto end = life.unplugged ? life.endTaken : taken.size();
            FuzzSupport::require (
                end - life.firstTaken <= life.expected.size()
                    && std::equal (taken.begin() + static_cast<std::ptrdiff_t> (life.firstTaken),
                                   taken.begin() + static_cast<std::ptrdiff_t> (end), life.expected.begin())
                    && (life.unplugged || end - life.firstTaken == life.expected.size()),
                "the system-exclusive messages that reached the manager are not those the input sent");
        }

        int acknowledgementsIn = 0;
        std::vector<ByteArray> validReplyBlocks;

        for (auto& message : taken)
        {
            if (message.size() == acknowledgementSize && message[commandOffset] == acknowledgementCommand)
                ++acknowledgementsIn;

            if (message.size() == replySize && message[commandOffset] == presetDataCommand)
            {
                ByteArray block (message.begin() + headerSize, FuzzSupport::blockSize);

                if (FuzzSupport::isValidBlock (block))
                    validReplyBlocks.push_back (block);
            }
        }

        FuzzSupport::require (! results.deliveredWrongly(),
                              "a result arrived off the message thread or inside the call that caused it");
        FuzzSupport::require (results.opens.empty() && results.saves.empty(),
                              "a file result arrived although no file was opened or saved");

        // Sends: one result each; as many acknowledged results as acknowledgements came in.
        std::vector<int> resultsPerSend (sends.size(), 0);
        int acknowledged = 0;

        for (auto& sent : results.sends)
        {
            FuzzSupport::require (sent.result == Send::noAcknowledgement || sent.result == Send::acknowledged,
                                  "a send with an open output ended in a result other than 1 or 2");

            if (sent.result == Send::acknowledged)
                ++acknowledged;

            if (sent.preset == nullptr)
            {
                FuzzSupport::require (sent.result == Send::acknowledged,
                                      "a send result without a preset is not a stray acknowledgement");
                continue;
            }

            auto found = std::find_if (sends.begin(), sends.end(),
                                       [&] (const Operation& operation)
                                       { return operation.preset.get() == sent.preset.get(); });
            FuzzSupport::require (found != sends.end(), "a send result carries a preset that was never sent");
            ++resultsPerSend[static_cast<size_t> (found - sends.begin())];
        }

        for (auto count : resultsPerSend)
            FuzzSupport::require (count == 1, "a send did not end in exactly one result");

        FuzzSupport::require (acknowledged == acknowledgementsIn,
                              "acknowledged results do not match the acknowledgements that came in");

        // Requests: one result each, 0 for those made without an input; no more received than
        // valid replies came in.
        FuzzSupport::require (results.requests.size() == requests.size(),
                              "the requests did not end in exactly one result each");

        int received = 0, withoutInput = 0;

        for (auto result : results.requests)
        {
            FuzzSupport::require (result == Request::noInput || result == Request::noReply
                                      || result == Request::received,
                                  "a request ended in a result other than 0, 1 or 2");

            if (result == Request::received)
                ++received;

            if (result == Request::noInput)
                ++withoutInput;
        }

        FuzzSupport::require (withoutInput == requestsWithoutInput,
                              "requests made without an input do not match the results 0");

        FuzzSupport::require (received <= static_cast<int> (validReplyBlocks.size()),
                              "more requests received a preset than valid replies came in");

        // Presets: a sent one never changes; a requested one only to the block of a valid reply.
        for (auto& operation : sends)
            FuzzSupport::require (operation.preset->getData() == operation.block,
                                  "sending changed the preset");

        auto unusedReplies = validReplyBlocks;
        int changed = 0;

        for (auto& operation : requests)
        {
            const auto now = operation.preset->getData();

            if (now == operation.block)
                continue;

            ++changed;
            auto reply = std::find (unusedReplies.begin(), unusedReplies.end(), now);
            FuzzSupport::require (reply != unusedReplies.end(),
                                  "a requested preset changed to something no valid reply carried");
            unusedReplies.erase (reply);
        }

        FuzzSupport::require (changed <= received, "more presets changed than requests received a preset");

        // Output: exactly the messages of the calls, in order.
        FuzzSupport::require (output->getReceived() == expectedOutput,
                              "the output did not carry exactly the messages of the calls");
    }

private:
    struct Operation
    {
        KARVELOEditorPreset::Ptr preset;
        ByteArray block;
    };

    Operation createOperation (juce::uint8 seed) const
    {
        Operation operation{ engine->createKarveloPreset(), FuzzSupport::validBlock (seed) };
        FuzzSupport::require (operation.preset->setData (operation.block),
                              "a fresh preset refused a valid block");
        return operation;
    }

    void sendPreset (juce::uint8 seed)
    {
        sends.push_back (createOperation (seed));
        expectedOutput.push_back (sendPresetBytes (sends.back().block));
        auto preset = sends.back().preset;
        results.call ([&] { engine->sendPreset (SysExProtocol::noSlot, preset); });
    }

    void requestPreset (juce::uint8 seed)
    {
        requests.push_back (createOperation (seed));

        if (manager->getNumOpenMidiInputs() > 0)
            expectedOutput.push_back (requestPresetBytes());
        else
            ++requestsWithoutInput;

        auto preset = requests.back().preset;
        results.call ([&] { engine->requestPreset (SysExProtocol::noSlot, preset); });
    }

    /** Sends a message from the controller's side, whole or as bytes. */
    void inject (const juce::MidiMessage& message)
    {
        ByteArray bytes (message.getRawData(), message.getRawDataSize());

        if (chunkSize > 0)
        {
            addBytes (bytes, chunkSize);
            return;
        }

        if (isSysEx (bytes))
            inputs.back().expected.push_back (bytes);

        input->send (message);
    }

    /** Adds bytes to those waiting and sends every full chunk of them. */
    void addBytes (const ByteArray& bytes, int chunk)
    {
        bytesWaiting.addArray (bytes);
        int sent = 0;

        for (; bytesWaiting.size() - sent >= chunk; sent += chunk)
            sendChunk (ByteArray (bytesWaiting.begin() + sent, chunk));

        bytesWaiting.removeRange (0, sent);
    }

    void sendBytesWaiting()
    {
        if (! bytesWaiting.isEmpty())
            sendChunk (bytesWaiting);

        bytesWaiting.clearQuick();
    }

    void sendChunk (const ByteArray& chunk)
    {
        inputs.back().reference.push (chunk, inputs.back().expected);
        input->send (chunk);
    }

    void injectLongSysEx (Script& script)
    {
        const int high = script.next();
        const int size = high << 8 | script.next();
        const auto shape = script.next();
        const auto seed = script.next();
        const auto dataSize = size + ((shape & 4) != 0 ? 65536 : 0);

        if (longBytes + dataSize > longBytesBudget)
            return;

        longBytes += dataSize;
        ByteArray bytes{ 0xf0 };
        bytes.ensureStorageAllocated (dataSize + 4);

        for (int i = 0; i < dataSize; ++i)
            bytes.add (static_cast<juce::uint8> ((seed + i * 13) & 0x7f));

        switch (shape % 4)
        {
            case 0:
                bytes.add (0xf7);
                break;
            case 2:
                bytes.addArray ({ 0x90, 0x3c, 0x7f });
                break;
            case 3:
                bytes.insert (1 + dataSize / 2, 0xf8);
                bytes.add (0xf7);
                break;
            default:
                break;
        }

        addBytes (bytes, juce::jmax (chunkSize, longChunkSize));

        if (chunkSize == 0)
            sendBytesWaiting(); // whole messages may follow: nothing may stay behind them
    }

    void unplugInput()
    {
        if (inputs.back().unplugged || unplugs >= maxUnplugs)
            return;

        ++unplugs;
        sendBytesWaiting();
        system->unplug (input);
        // The device delivers nothing once it is out: what was taken so far is all it gave.
        inputs.back().unplugged = true;
        inputs.back().endTaken = tap.getNumTaken();
        waitForOpenInputs (0);
    }

    void plugInput()
    {
        if (! inputs.back().unplugged)
            return;

        input = system->plugInput ("Karvelo");
        inputs.emplace_back();
        inputs.back().firstTaken = tap.getNumTaken();
        waitForOpenInputs (1);
    }

    void waitForOpenInputs (int count)
    {
        const auto deadline = juce::Time::getMillisecondCounter() + settleTimeoutMilliseconds;

        while (manager->getNumOpenMidiInputs() != count)
        {
            FuzzSupport::require (before (deadline), "the manager never noticed the input come or go");
            juce::MessageManager::getInstance()->runDispatchLoopUntil (1);
        }
    }

    void injectAcknowledgement (Script& script)
    {
        ByteArray payload{ 0x47, 0x00, 0x31, acknowledgementCommand, 0x00, 0x02, 0x00, 0x00 };

        switch (script.next() % 4)
        {
            case 2:
                payload.removeLast();
                break;
            case 3:
                payload.set (commandOffset - 1, script.next());
                break;
            default:
                break;
        }

        inject (sysEx (payload));
    }

    void injectReply (Script& script)
    {
        auto block = FuzzSupport::validBlock (script.next());

        for (int edits = script.next() % 4; --edits >= 0;)
        {
            const auto offset = script.next() % FuzzSupport::blockSize;
            block.set (offset, script.next());
        }

        ByteArray payload{ 0x47, 0x00, 0x31, presetDataCommand, 0x01, 0x0a };
        payload.addArray (block);

        switch (script.next() % 5)
        {
            case 2:
                payload.removeLast();
                inject (sysEx (payload));
                break;
            case 3:
                payload.add (script.next());
                inject (sysEx (payload));
                break;
            case 4:
            {
                // Ends in any byte instead of F7. A leading F0 satisfies juce::MidiMessage's check.
                ByteArray bytes{ 0xf0 };
                bytes.addArray (payload);
                bytes.add (script.next());
                inject (juce::MidiMessage (bytes.begin(), bytes.size()));
                break;
            }
            default:
                inject (sysEx (payload));
                break;
        }
    }

    void injectUnterminated (Script& script)
    {
        ByteArray bytes{ 0xf0 };
        bytes.addArray (script.take (script.next()));
        inject (juce::MidiMessage (bytes.begin(), bytes.size()));
    }

    void injectChannelMessage (Script& script)
    {
        const auto kind = script.next() % 3;
        const auto channel = script.next() % 16 + 1;
        const auto number = script.next() & 0x7f;
        const auto value = static_cast<juce::uint8> (script.next() & 0x7f);

        if (kind == 0)
            inject (juce::MidiMessage::noteOn (channel, number, value));
        else if (kind == 1)
            inject (juce::MidiMessage::noteOff (channel, number, value));
        else
            inject (juce::MidiMessage::controllerEvent (channel, number, value));
    }

    void runLoopFor (int milliseconds)
    {
        milliseconds = juce::jmin (milliseconds, waitBudgetMilliseconds - waited);

        if (milliseconds < 0)
            return;

        waited += milliseconds;
        juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
    }

    /** Dispatches every message posted to the message thread so far, and what that posts in turn
        for the engine's results: a marker posted now runs after everything posted before it. */
    void drainMessages()
    {
        const auto deadline = juce::Time::getMillisecondCounter() + settleTimeoutMilliseconds;
        auto markerRan = std::make_shared<bool> (false);
        juce::MessageManager::callAsync ([markerRan] { *markerRan = true; });

        while (! *markerRan || engine->getNumPendingUpdates() > 0)
        {
            FuzzSupport::require (before (deadline), "the message thread never got through its messages");
            juce::MessageManager::getInstance()->runDispatchLoopUntil (0);
        }
    }

    /** Waits until the input has delivered everything and every operation has ended. */
    void settleEverything()
    {
        sendBytesWaiting();
        FuzzSupport::require (input->waitUntilIdle (settleTimeoutMilliseconds),
                              "the input device never finished delivering");

        // Whatever the input delivered is now posted to the message thread, ahead of the marker.
        drainMessages();

        const auto deadline = juce::Time::getMillisecondCounter() + settleTimeoutMilliseconds;

        while (engine->getNumPendingSends() > 0 || engine->getNumPendingRequests() > 0
               || engine->getNumPendingUpdates() > 0)
        {
            FuzzSupport::require (before (deadline), "an operation never ended");
            juce::MessageManager::getInstance()->runDispatchLoopUntil (0);
        }

        drainMessages();
    }

    ResultRecorder results;
    std::shared_ptr<VirtualMidiSystem> system = VirtualMidiSystem::create();
    std::shared_ptr<VirtualMidiDevice> input = system->plugInput ("Karvelo");
    std::shared_ptr<VirtualMidiDevice> output = system->plugOutput ("Karvelo");
    MidiManager::Ptr manager{ new MidiManager (system->createLayer(), pollMilliseconds) };
    KARVELOEditorEngine::Ptr engine{ new KARVELOEditorEngine (manager, engineTimeoutMilliseconds,
                                                              engineTimeoutMilliseconds) };

    Tap tap;

    /** One plugged-in input: the system-exclusive messages its messages and bytes hold, and which
        of those the tap took while it was in. */
    struct InputLife
    {
        SysExInStream reference;
        std::vector<ByteArray> expected;
        size_t firstTaken = 0, endTaken = 0;
        bool unplugged = false;
    };

    std::vector<InputLife> inputs;
    int chunkSize = 0; // 0: whole messages
    ByteArray bytesWaiting;
    int longBytes = 0, unplugs = 0;

    std::vector<Operation> sends, requests;
    int requestsWithoutInput = 0;
    std::vector<ByteArray> expectedOutput;
    int waited = 0;
};
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    FuzzSupport::initialiseJuce();

    // The warm-up input: a send acknowledged, a request replied to, a stray acknowledgement.
    const juce::uint8 warmUp[] = { 0x00, 0x01, 0x02, 0x00, 0x01, 0x02, 0x03, 0x03, 0x00, 0x00, 0x02, 0x00 };
    LLVMFuzzerTestOneInput (warmUp, sizeof (warmUp));
    FuzzSupport::cleanUpAtExit ({});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const juce::uint8* data, size_t size)
{
    Script script (data, size);
    Session session;
    session.run (script);
    session.check();
    return 0;
}
