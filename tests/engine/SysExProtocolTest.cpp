#include "engine/SysExProtocol.h"
#include "HexFile.h"
#include "model/KARVELOEditorPreset.h"

#include <gtest/gtest.h>

using namespace SysExProtocol;

TEST (SysExProtocol, ExactBytes)
{
    KARVELOEditorPreset preset;
    const auto file = HexFile::read ("file_146.hex"); // header bytes 1-6 unlike any the editor writes
    ASSERT_TRUE (storePayload (file, preset));        // a payload of any other size: the preset's test
    EXPECT_EQ (preset.getData(), ByteArray (file.begin() + 7, 138));

    // The messages' and the file's bytes: the ALSA and preset file tests. The length field counts the data
    // and a slot byte, in two seven-bit halves.
    EXPECT_EQ (buildHeader (0x31, preset, Command::sendPreset, 5), HexFile::parse ("47 00 31 64 01 0b 05"));

    // Only a well-formed message converts: a status byte missing, a truncated note, a byte too many, a
    // data byte with its top bit set, system-exclusive without its end or with a byte above 127
    // inside, lone frame bytes do not.
    const auto converted = [] (const ByteArray& bytes)
    {
        const auto message = toMidiMessage (bytes.begin(), bytes.size());
        return message ? ByteArray (message->getRawData(), message->getRawDataSize()) : ByteArray();
    };

    for (auto text : { "90 3c 7f", "c0 05", "f8", "f0 f7", "f0 47 00 31 66 00 01 f7" })
        EXPECT_EQ (converted (HexFile::parse (text)), HexFile::parse (text));

    for (auto text : { "3c 7f", "90 3c", "90 3c 7f 00", "90 80 7f", "f0 47 00", "f0 47 80 f7", "f7", "f0" })
        EXPECT_TRUE (converted (HexFile::parse (text)).isEmpty()) << text;

    EXPECT_FALSE (toMidiMessage (nullptr, 0).has_value());
}

TEST (SysExProtocol, Recognise)
{
    const auto reply = HexFile::read ("factory_preset.hex");
    auto othersAltered = reply, longer = reply, acknowledgeCommand = reply, noteOn = reply;
    longer.insert (10, 0);
    acknowledgeCommand.set (4, 0x11);
    noteOn.set (0, 0x90);

    for (int offset : { 1, 2, 3, 5, 6 }) // manufacturer, device, product, length field
        othersAltered.set (offset, 0x7e);

    // The controller's own reply and acknowledgement: the engine's tests.
    const std::tuple<ByteArray, int, MessageKind> cases[] = {
        { othersAltered, 146, MessageKind::presetReply },
        { ByteArray (reply.begin(), 145), 146, MessageKind::ignored },
        { longer, 146, MessageKind::ignored },
        { longer, 147, MessageKind::presetReply },
        { acknowledgeCommand, 146, MessageKind::ignored },
        { noteOn, 146, MessageKind::ignored },
        { HexFile::parse ("f0 00 00 00 11 55 66 77 7f 00"), 146, MessageKind::acknowledgement },
        { HexFile::parse ("f0 47 00 31 11 00 00 00 f7"), 146, MessageKind::ignored },
        { HexFile::parse ("f0 47 00 31 12 00 00 00 00 f7"), 146, MessageKind::ignored },
        { {}, 146, MessageKind::ignored },
    };

    for (auto& [bytes, replyLength, kind] : cases)
        EXPECT_EQ (recognise (bytes.begin(), bytes.size(), replyLength), kind)
            << testing::PrintToString (bytes);
}
