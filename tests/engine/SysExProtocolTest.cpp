#include "engine/SysExProtocol.h"
#include "HexFile.h"
#include "model/KARVELOEditorPreset.h"

#include <gtest/gtest.h>

using namespace SysExProtocol;

namespace
{
constexpr int karveloProductId = 0x31;
constexpr int karveloReplyLength = 146;

ByteArray bytesOf (const juce::MidiMessage& message)
{
    return ByteArray (message.getRawData(), message.getRawDataSize());
}

KARVELOEditorPreset::Ptr factoryPreset()
{
    KARVELOEditorPreset::Ptr preset (new KARVELOEditorPreset());
    const auto message = HexFile::read ("factory_preset.hex");
    EXPECT_TRUE (storePayload (message, *preset));
    return preset;
}

/** A preset of another size, to see the length field follow the data size. */
struct SizedPreset : EditorPreset
{
    explicit SizedPreset (int s)
        : size (s)
    {
    }

    ByteArray getData() const override { return {}; }
    bool isValidData (const ByteArray&) const override { return false; }
    bool setData (const ByteArray&) override { return false; }
    int getDataSize() const override { return size; }

    int size;
};

MessageKind recogniseBytes (const ByteArray& bytes, int replyLength = karveloReplyLength)
{
    return recognise (bytes.begin(), bytes.size(), replyLength);
}
} // namespace

TEST (SysExProtocol, OutgoingMessagesAreExactlyTheControllersBytes)
{
    const auto preset = factoryPreset();

    EXPECT_EQ (bytesOf (createRequestPresetMessage (karveloProductId, *preset)),
               HexFile::read ("request_preset.hex"));
    EXPECT_EQ (bytesOf (createSendPresetMessage (karveloProductId, *preset)),
               HexFile::read ("send_preset_factory.hex"));
    EXPECT_EQ (createFileImage (karveloProductId, *preset), HexFile::read ("factory_preset.hex"));
}

TEST (SysExProtocol, HeaderCarriesTheLengthInTwoSevenBitHalvesAndAnOptionalSlot)
{
    const SizedPreset karvelo (138), large (300);

    EXPECT_EQ (buildHeader (0x31, karvelo, Command::sendPreset, noSlot),
               (ByteArray{ 0x47, 0x00, 0x31, 0x64, 0x01, 0x0a }));
    EXPECT_EQ (buildHeader (0x31, large, Command::presetData, noSlot),
               (ByteArray{ 0x47, 0x00, 0x31, 0x67, 0x02, 0x2c }));
    EXPECT_EQ (buildHeader (0x31, karvelo, Command::sendPreset, 5),
               (ByteArray{ 0x47, 0x00, 0x31, 0x64, 0x01, 0x0b, 0x05 }));
    EXPECT_EQ (buildHeader (0x31, karvelo, Command::requestPreset, noSlot),
               (ByteArray{ 0x47, 0x00, 0x31, 0x66, 0x00, 0x01 }));
    EXPECT_EQ (buildHeader (0x31, karvelo, Command::requestPreset, 2),
               (ByteArray{ 0x47, 0x00, 0x31, 0x66, 0x00, 0x01, 0x02 }));
    EXPECT_EQ (buildHeader (0x22, karvelo, Command::presetAcknowledge, 3),
               (ByteArray{ 0x47, 0x00, 0x22, 0x11 }));
}

TEST (SysExProtocol, ReplyIsRecognisedByLengthAndCommandAlone)
{
    auto reply = HexFile::read ("factory_preset.hex");
    EXPECT_EQ (recogniseBytes (reply), MessageKind::presetReply);

    // Manufacturer, device and product bytes are not examined, nor is the length field.
    for (int offset : { 1, 2, 3, 5, 6 })
    {
        auto altered = reply;
        altered.set (offset, 0x7e);
        EXPECT_EQ (recogniseBytes (altered), MessageKind::presetReply) << "offset " << offset;
    }

    const ByteArray shorter (reply.begin(), reply.size() - 1);
    auto longer = reply;
    longer.insert (10, 0);
    EXPECT_EQ (recogniseBytes (shorter), MessageKind::ignored);
    EXPECT_EQ (recogniseBytes (longer), MessageKind::ignored);
    EXPECT_EQ (recogniseBytes (longer, 147), MessageKind::presetReply);

    auto acknowledgeOfReplyLength = reply;
    acknowledgeOfReplyLength.set (4, 0x11);
    EXPECT_EQ (recogniseBytes (acknowledgeOfReplyLength), MessageKind::ignored);

    auto notSysEx = reply;
    notSysEx.set (0, 0x90);
    EXPECT_EQ (recogniseBytes (notSysEx), MessageKind::ignored);
}

TEST (SysExProtocol, AcknowledgementIsAnyTenByteSysExWithCommand11)
{
    EXPECT_EQ (recogniseBytes (HexFile::read ("acknowledgement.hex")), MessageKind::acknowledgement);
    EXPECT_EQ (recogniseBytes ({ 0xf0, 0x00, 0x00, 0x00, 0x11, 0x55, 0x66, 0x77, 0x7f, 0x00 }),
               MessageKind::acknowledgement);

    EXPECT_EQ (recogniseBytes ({ 0xf0, 0x47, 0x00, 0x31, 0x11, 0x00, 0x00, 0x00, 0xf7 }),
               MessageKind::ignored);
    EXPECT_EQ (recogniseBytes ({ 0xf0, 0x47, 0x00, 0x31, 0x12, 0x00, 0x00, 0x00, 0x00, 0xf7 }),
               MessageKind::ignored);
}

TEST (SysExProtocol, ChannelMessagesAndFragmentsAreIgnored)
{
    EXPECT_EQ (recogniseBytes ({ 0x90, 0x3c, 0x7f }), MessageKind::ignored);
    EXPECT_EQ (recogniseBytes ({ 0xb0, 0x10, 0x40 }), MessageKind::ignored);
    EXPECT_EQ (recogniseBytes ({ 0xf0 }), MessageKind::ignored);
    EXPECT_EQ (recogniseBytes ({ 0xf0, 0x47, 0x00, 0x31 }), MessageKind::ignored);
    EXPECT_EQ (recognise (nullptr, 0, karveloReplyLength), MessageKind::ignored);
    EXPECT_EQ (recogniseBytes ({ 0xf0, 0x47, 0x00, 0x31, 0x67 }, 5), MessageKind::presetReply);
}

TEST (SysExProtocol, PayloadIsWhatRemainsAfterSevenPlusOneBytes)
{
    KARVELOEditorPreset preset;
    const auto file = HexFile::read ("file_146.hex");

    ASSERT_TRUE (storePayload (file, preset));
    EXPECT_EQ (preset.getData(), ByteArray (file.begin() + 7, 138));

    const auto before = preset.getData();
    EXPECT_FALSE (storePayload (HexFile::read ("file_145.hex"), preset));
    EXPECT_FALSE (storePayload (HexFile::read ("file_147.hex"), preset));
    EXPECT_FALSE (storePayload ({ 0xf0, 0x47 }, preset));
    EXPECT_FALSE (storePayload ({}, preset));
    EXPECT_EQ (preset.getData(), before);
}

TEST (SysExProtocol, OnlyWellFormedBytesBecomeMidiMessages)
{
    const auto check = [] (const ByteArray& bytes)
    { return toMidiMessage (bytes.begin(), bytes.size()).has_value(); };

    EXPECT_TRUE (check ({ 0x90, 0x3c, 0x7f }));
    EXPECT_TRUE (check ({ 0xc0, 0x05 }));
    EXPECT_TRUE (check ({ 0xf8 }));
    EXPECT_TRUE (check (HexFile::read ("acknowledgement.hex")));
    EXPECT_TRUE (check ({ 0xf0, 0xf7 }));

    EXPECT_FALSE (check ({}));
    EXPECT_FALSE (check ({ 0x3c, 0x7f }));          // no status byte
    EXPECT_FALSE (check ({ 0x90, 0x3c }));          // truncated note
    EXPECT_FALSE (check ({ 0x90, 0x3c, 0x7f, 0 })); // too long
    EXPECT_FALSE (check ({ 0x90, 0x80, 0x7f }));    // data byte with the top bit
    EXPECT_FALSE (check ({ 0xf0, 0x47, 0x00 }));    // unterminated system-exclusive
    EXPECT_FALSE (check ({ 0xf0, 0x47, 0x80, 0xf7 }));
    EXPECT_FALSE (check ({ 0xf7 }));
    EXPECT_FALSE (check ({ 0xf0 }));

    const ByteArray request = HexFile::read ("request_preset.hex");
    const auto message = toMidiMessage (request.begin(), request.size());
    ASSERT_TRUE (message.has_value());
    EXPECT_EQ (bytesOf (*message), request);
}
