#include "engine/PresetFile.h"
#include "HexFile.h"
#include "TemporaryFolder.h"
#include "model/KARVELOEditorPreset.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>

namespace
{
constexpr int karveloProductId = 0x31;

class PresetFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE (folder.isDirectory());
        ASSERT_TRUE (preset.setData (ByteArray (HexFile::read ("file_146.hex").begin() + 7, 138)));
    }

    juce::File fileWith (const juce::String& name, const ByteArray& bytes)
    {
        auto file = folder.getChildFile (name);
        EXPECT_TRUE (file.replaceWithData (bytes.begin(), static_cast<size_t> (bytes.size())));
        return file;
    }

    static ByteArray contentsOf (const juce::File& file)
    {
        juce::MemoryBlock block;
        file.loadFileAsData (block);
        return ByteArray (static_cast<const juce::uint8*> (block.getData()),
                          static_cast<int> (block.getSize()));
    }

    TemporaryFolder temporaryFolder;
    const juce::File& folder = temporaryFolder.get();
    KARVELOEditorPreset preset;
};
} // namespace

TEST_F (PresetFileTest, GoodFileLoadsWhateverItsHeaderBytesHold)
{
    KARVELOEditorPreset loaded;
    const auto bytes = HexFile::read ("file_146.hex");

    EXPECT_EQ (PresetFile::read (fileWith ("odd-header.karvelo", bytes), loaded),
               PresetFile::ReadResult::loaded);
    EXPECT_EQ (loaded.getData(), ByteArray (bytes.begin() + 7, 138));

    KARVELOEditorPreset withoutExtension;
    EXPECT_EQ (
        PresetFile::read (fileWith ("no-extension", HexFile::read ("factory_preset.hex")), withoutExtension),
        PresetFile::ReadResult::loaded);
}

TEST_F (PresetFileTest, MissingPathsAndFoldersAreMissing)
{
    const auto before = preset.getData();

    EXPECT_EQ (PresetFile::read (folder.getChildFile ("absent.karvelo"), preset),
               PresetFile::ReadResult::missing);
    EXPECT_EQ (PresetFile::read (folder, preset), PresetFile::ReadResult::missing);
    EXPECT_EQ (preset.getData(), before);
}

TEST_F (PresetFileTest, WrongSizesAndBadBlocksAreRejectedAndChangeNothing)
{
    const auto before = preset.getData();
    auto badBlock = HexFile::read ("factory_preset.hex");
    badBlock.set (7 + 67, 2); // the TYPE byte of switch 0

    for (auto& [name, bytes] : std::vector<std::pair<juce::String, ByteArray>>{
             { "145.karvelo", HexFile::read ("file_145.hex") },
             { "147.karvelo", HexFile::read ("file_147.hex") },
             { "type2.karvelo", badBlock },
         })
    {
        EXPECT_EQ (PresetFile::read (fileWith (name, bytes), preset), PresetFile::ReadResult::rejected)
            << name;
        EXPECT_EQ (preset.getData(), before) << name;
    }

    const auto empty = folder.getChildFile ("empty.karvelo");
    ASSERT_TRUE (empty.create());
    EXPECT_EQ (PresetFile::read (empty, preset), PresetFile::ReadResult::rejected);
    EXPECT_EQ (preset.getData(), before);
}

TEST_F (PresetFileTest, FileOfTheWrongSizeIsNeverRead)
{
    // A huge file picked by mistake is turned down by its size alone.
    const auto huge = folder.getChildFile ("huge.karvelo");
    {
        juce::FileOutputStream stream (huge);
        ASSERT_TRUE (stream.openedOk());
        ASSERT_TRUE (stream.setPosition (4LL * 1024 * 1024 * 1024));
        ASSERT_TRUE (stream.writeByte (0));
    }
    EXPECT_EQ (PresetFile::read (huge, preset), PresetFile::ReadResult::rejected);

    // Opening a pipe for reading would block until someone writes to it: this returns only
    // because the reader looks at the size (0) first.
    const auto pipe = folder.getChildFile ("pipe.karvelo");
    ASSERT_EQ (mkfifo (pipe.getFullPathName().toRawUTF8(), 0600), 0);
    EXPECT_EQ (PresetFile::read (pipe, preset), PresetFile::ReadResult::rejected);
}

TEST_F (PresetFileTest, SavedFileIsExactlyThePresetDataMessageAndReadsBack)
{
    const auto file = folder.getChildFile ("Live.karvelo");
    ASSERT_TRUE (PresetFile::write (file, preset, karveloProductId));

    const auto written = contentsOf (file);
    ASSERT_EQ (written.size(), 146);
    EXPECT_EQ (ByteArray (written.begin(), 7), (ByteArray{ 0xf0, 0x47, 0x00, 0x31, 0x67, 0x01, 0x0a }));
    EXPECT_EQ (written.getLast(), 0xf7);

    KARVELOEditorPreset loaded;
    EXPECT_EQ (PresetFile::read (file, loaded), PresetFile::ReadResult::loaded);
    EXPECT_EQ (loaded.getData(), preset.getData());

    // Saving again replaces the old content completely.
    KARVELOEditorPreset zero;
    ASSERT_TRUE (PresetFile::write (file, zero, karveloProductId));
    EXPECT_EQ (contentsOf (file).size(), 146);
    EXPECT_EQ (PresetFile::read (file, loaded), PresetFile::ReadResult::loaded);
    EXPECT_EQ (loaded.getData(), zero.getData());
}

TEST_F (PresetFileTest, FailedWriteReportsFailureAndLeavesTheOldFile)
{
    const auto old = fileWith ("old.karvelo", HexFile::read ("factory_preset.hex"));

    EXPECT_FALSE (PresetFile::write (juce::File ("/dev/full/preset.karvelo"), preset, karveloProductId));
    EXPECT_FALSE (
        PresetFile::write (folder.getChildFile ("no/such/folder/preset.karvelo"), preset, karveloProductId));

    const auto aFolder = folder.getChildFile ("a-folder");
    ASSERT_TRUE (aFolder.createDirectory());
    EXPECT_FALSE (PresetFile::write (aFolder, preset, karveloProductId));
    EXPECT_TRUE (aFolder.isDirectory());

    EXPECT_EQ (contentsOf (old), HexFile::read ("factory_preset.hex"));
    EXPECT_EQ (
        folder.findChildFiles (juce::File::findFiles, false, "*", juce::File::FollowSymlinks::no).size(), 1)
        << "a temporary file was left behind";
}

TEST_F (PresetFileTest, FullDiskDoesNotReplaceTheOldFile)
{
    // A file system with room for the old file and almost nothing else.
    const auto mountPoint = folder.getChildFile ("small");
    ASSERT_TRUE (mountPoint.createDirectory());

    if (mount ("tmpfs", mountPoint.getFullPathName().toRawUTF8(), "tmpfs", 0, "size=8k") != 0)
        GTEST_SKIP() << "needs permission to mount a small file system";

    struct Unmount
    {
        ~Unmount() { umount (path.toRawUTF8()); }
        juce::String path;
    } unmount{ mountPoint.getFullPathName() };

    const auto old = mountPoint.getChildFile ("old.karvelo");
    const auto factory = HexFile::read ("factory_preset.hex");
    ASSERT_TRUE (old.replaceWithData (factory.begin(), static_cast<size_t> (factory.size())));
    const auto filler = mountPoint.getChildFile ("filler");
    {
        juce::FileOutputStream stream (filler);
        juce::HeapBlock<char> block (1024, true);

        while (stream.write (block, 1024) && stream.getStatus().wasOk())
            stream.flush();
    }

    EXPECT_FALSE (PresetFile::write (old, preset, karveloProductId));
    EXPECT_EQ (contentsOf (old), factory);
}
