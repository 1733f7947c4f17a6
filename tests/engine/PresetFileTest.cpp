#include "engine/PresetFile.h"
#include "HexFile.h"
#include "TemporaryFolder.h"
#include "model/KARVELOEditorPreset.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
using Result = PresetFile::ReadResult;

ByteArray contentsOf (const juce::File& file)
{
    juce::MemoryBlock block;
    file.loadFileAsData (block);
    return ByteArray (static_cast<const juce::uint8*> (block.getData()), static_cast<int> (block.getSize()));
}

struct PresetFileTest : ::testing::Test
{
    juce::File fileWith (const char* name, const ByteArray& bytes)
    {
        const auto file = folder.getChildFile (name);
        EXPECT_TRUE (file.replaceWithData (bytes.begin(), (size_t) bytes.size()));
        return file;
    }

    TemporaryFolder folder;
    const ByteArray factory = HexFile::read ("factory_preset.hex");
    KARVELOEditorPreset preset;
};
} // namespace

TEST_F (PresetFileTest, ValidFileLoadsWhateverItsHeaderBytesAndNameAndAnythingElseChangesNothing)
{
    const auto valid = HexFile::read ("file_146.hex"); // header bytes unlike any the editor writes
    ASSERT_EQ (PresetFile::read (fileWith ("no-extension", valid), preset), Result::loaded);
    auto badBlock = factory;
    badBlock.set (7 + 67, 2); // the TYPE byte of switch 0

    // Files of the wrong size are never read: a sparse 4 GB one would take long, and opening a pipe
    // for reading would wait for a writer for ever.
    const auto huge = folder.getChildFile ("huge.karvelo"), pipe = folder.getChildFile ("pipe.karvelo");
    ASSERT_TRUE (huge.create().wasOk() && truncate (huge.getFullPathName().toRawUTF8(), 4LL << 30) == 0);
    ASSERT_EQ (mkfifo (pipe.getFullPathName().toRawUTF8(), 0600), 0);

    const std::pair<juce::File, Result> cases[] = {
        { folder.getChildFile ("absent.karvelo"), Result::missing },
        { fileWith ("145.karvelo", HexFile::read ("file_145.hex")), Result::rejected },
        { fileWith ("147.karvelo", HexFile::read ("file_147.hex")), Result::rejected },
        { fileWith ("type2.karvelo", badBlock), Result::rejected },
        { huge, Result::rejected },
        { pipe, Result::rejected },
    };

    for (auto& [file, result] : cases)
    {
        EXPECT_EQ (PresetFile::read (file, preset), result) << file.getFileName();
        EXPECT_EQ (preset.getData(), ByteArray (valid.begin() + 7, 138)) << file.getFileName();
    }
}

TEST_F (PresetFileTest, SavedFileIsExactlyThePresetDataMessageAndAFailedSaveLeavesTheFilesAsTheyWere)
{
    ASSERT_TRUE (preset.setData (ByteArray (factory.begin() + 7, 138)));
    const auto saved = fileWith ("Live.karvelo", HexFile::read ("file_147.hex")); // replaced entirely
    ASSERT_TRUE (PresetFile::write (saved, preset, 0x31));
    EXPECT_EQ (contentsOf (saved), factory);

    // Nothing is written over a folder, nor where no file can be made.
    const auto mountPoint = folder.getChildFile ("small"), filler = mountPoint.getChildFile ("filler");
    ASSERT_TRUE (mountPoint.createDirectory());

    for (auto& target : { mountPoint, juce::File ("/dev/full/x"), folder.getChildFile ("no/such/x") })
        EXPECT_FALSE (PresetFile::write (target, preset, 0x31)) << target.getFullPathName();

    EXPECT_EQ (folder.get().getNumberOfChildFiles (juce::File::findFiles), 1) << "a file was left or made";

    // A full disk: a file system with room for the old file and almost nothing else.
    ASSERT_TRUE (mountPoint.isDirectory()) << "the folder written over is gone";

    if (mount ("tmpfs", mountPoint.getFullPathName().toRawUTF8(), "tmpfs", 0, "size=8k") != 0)
        GTEST_SKIP() << "needs permission to mount a small file system";

    const juce::ScopeGuard unmount{ [&] { umount (mountPoint.getFullPathName().toRawUTF8()); } };
    const auto old = fileWith ("small/old.karvelo", HexFile::read ("file_146.hex"));

    for (juce::FileOutputStream out (filler); out.writeRepeatedByte (0, 1024) && out.getStatus().wasOk();)
        out.flush();

    EXPECT_FALSE (PresetFile::write (old, preset, 0x31));
    EXPECT_EQ (contentsOf (old), HexFile::read ("file_146.hex"));
    EXPECT_EQ (mountPoint.getNumberOfChildFiles (juce::File::findFiles), 2) << "a temporary file was left";
}
