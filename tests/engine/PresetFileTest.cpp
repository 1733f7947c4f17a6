#include "engine/PresetFile.h"
#include "HexFile.h"
#include "TemporaryFolder.h"
#include "model/KARVELOEditorPreset.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

namespace
{
using HexFile::contentsOf;

struct PresetFileTest : ::testing::Test
{
    PresetFileTest() { preset.setData (HexFile::factoryBlock()); }

    // A file of the bytes, by default a valid preset with header bytes the editor never writes.
    juce::File fileWith (const char* name, const ByteArray& bytes = old)
    {
        const auto file = folder.getChildFile (name);
        EXPECT_TRUE (file.replaceWithData (bytes.begin(), (size_t) bytes.size()));
        return file;
    }

    bool write (const juce::File& file) { return PresetFile::write (file, preset, 0x31); }

    static struct stat statOf (const juce::File& file)
    {
        struct stat s = {};
        stat (file.getFullPathName().toRawUTF8(), &s);
        return s;
    }

    // Runs the function in a child process, made ready there first, and returns what it returned.
    static bool inChild (const std::function<void()>& prepare, const std::function<bool()>& function)
    {
        const auto child = fork();

        if (child == 0)
        {
            prepare();
            _exit (function() ? 0 : 1);
        }

        int status = 0;
        return child > 0 && waitpid (child, &status, 0) == child && WIFEXITED (status)
               && WEXITSTATUS (status) == 0;
    }

    TemporaryFolder folder;
    const ByteArray factory = HexFile::read ("factory_preset.hex");
    static inline const ByteArray old = HexFile::read ("file_146.hex");
    KARVELOEditorPreset preset;
};
} // namespace

TEST_F (PresetFileTest, OnlyValidFilesLoad)
{
    using Result = PresetFile::ReadResult;
    ASSERT_EQ (PresetFile::read (fileWith ("no-extension"), preset), Result::loaded);

    // Files of the wrong size are never read: a sparse 4 GB one would take long, and opening a pipe
    // for reading would wait for a writer for ever. (Which sizes and blocks are valid: the protocol's
    // and the preset's tests.)
    const auto huge = folder.getChildFile ("huge.karvelo"), pipe = folder.getChildFile ("pipe.karvelo");
    ASSERT_TRUE (huge.create().wasOk() && truncate (huge.getFullPathName().toRawUTF8(), 4LL << 30) == 0);
    ASSERT_EQ (mkfifo (pipe.getFullPathName().toRawUTF8(), 0600), 0);

    const std::pair<juce::File, Result> cases[] = {
        { folder.getChildFile ("absent.karvelo"), Result::missing },
        { huge, Result::rejected },
        { pipe, Result::rejected },
    };

    for (auto& [file, result] : cases)
    {
        EXPECT_EQ (PresetFile::read (file, preset), result) << file.getFileName();
        EXPECT_EQ (preset.getData(), ByteArray (old.begin() + 7, 138)) << file.getFileName();
    }
}

TEST_F (PresetFileTest, SaveThroughLinks)
{
    ASSERT_TRUE (folder.getChildFile ("presets").createDirectory());
    const auto real = fileWith ("presets/real.karvelo");
    const auto link = [&] (const char* name, const char* target)
    {
        const auto file = folder.getChildFile (name);
        EXPECT_EQ (symlink (target, file.getFullPathName().toRawUTF8()), 0) << name;
        return file;
    };

    // Absolute, relative, a chain of two, and one whose target does not exist yet.
    for (auto& file :
         { link ("absolute.karvelo", real.getFullPathName().toRawUTF8()),
           link ("relative.karvelo", "presets/real.karvelo"), link ("chain.karvelo", "relative.karvelo") })
    {
        ASSERT_TRUE (real.replaceWithData (old.begin(), (size_t) old.size()));
        ASSERT_TRUE (write (file)) << file.getFileName();
        EXPECT_TRUE (file.isSymbolicLink()) << file.getFileName() << " is no longer a link";
        EXPECT_EQ (contentsOf (real), factory) << file.getFileName();
    }

    const auto dangling = link ("new.karvelo", "presets/new.karvelo");
    ASSERT_TRUE (write (dangling));
    EXPECT_EQ (contentsOf (folder.getChildFile ("presets/new.karvelo")), factory);

    EXPECT_FALSE (write (link ("loop.karvelo", "loop.karvelo")));
    EXPECT_EQ (folder.getChildFile ("presets").getNumberOfChildFiles (juce::File::findFiles), 2)
        << "a temporary file was left";
}

TEST_F (PresetFileTest, KeepsModeOwnerAndLinks)
{
    for (const mode_t mode : { 0600u, 0660u, 0640u, 04755u })
    {
        const auto file = fileWith ("mode.karvelo");
        ASSERT_EQ (chmod (file.getFullPathName().toRawUTF8(), mode), 0);
        ASSERT_TRUE (write (file)) << std::oct << mode;
        EXPECT_EQ (statOf (file).st_mode & 07777, mode) << std::oct << mode;
    }

    // A file nobody may write is not replaced, whoever saves it.
    const auto readOnly = fileWith ("read-only.karvelo");
    ASSERT_EQ (chmod (readOnly.getFullPathName().toRawUTF8(), 0444), 0);
    EXPECT_FALSE (write (readOnly));
    EXPECT_EQ (contentsOf (readOnly), old);

    // Another name of the same file sees the new content: it was written in place.
    const auto original = fileWith ("hard.karvelo"), other = folder.getChildFile ("other.karvelo");
    ASSERT_EQ (link (original.getFullPathName().toRawUTF8(), other.getFullPathName().toRawUTF8()), 0);
    ASSERT_TRUE (write (other));
    EXPECT_EQ (contentsOf (original), factory);

    // Root saving a user's file leaves it the user's. Last, so that without root only this is skipped.
    if (geteuid() != 0)
        GTEST_SKIP() << "saving another user's file needs root";

    const auto users = fileWith ("users.karvelo");
    ASSERT_EQ (chown (users.getFullPathName().toRawUTF8(), 65534, 65534), 0);
    ASSERT_TRUE (write (users));
    EXPECT_EQ (std::pair (statOf (users).st_uid, statOf (users).st_gid), std::pair (65534u, 65534u));
}

TEST_F (PresetFileTest, FullDiskKeepsOldFile)
{
    // The disk fills up after 100 bytes of any file: no write may go beyond.
    const auto saved = fileWith ("old.karvelo");
    const auto full = []
    {
        signal (SIGXFSZ, SIG_IGN);
        const rlimit limit{ 100, 100 };
        setrlimit (RLIMIT_FSIZE, &limit);
    };
    EXPECT_FALSE (inChild (full, [&] { return write (saved); }));
    EXPECT_EQ (contentsOf (saved), old);

    // Nothing is written over a folder, nor where no file can be made.
    const auto subfolder = folder.getChildFile ("sub");
    ASSERT_TRUE (subfolder.createDirectory());

    for (auto& target : { subfolder, juce::File ("/dev/full/x"), folder.getChildFile ("no/such/x") })
        EXPECT_FALSE (write (target)) << target.getFullPathName();

    EXPECT_EQ (folder.get().getNumberOfChildFiles (juce::File::findFiles), 1) << "a temporary file was left";

    // Written in the end, the file is replaced whole.
    ASSERT_TRUE (write (fileWith ("old.karvelo", HexFile::read ("file_147.hex"))));
    EXPECT_EQ (contentsOf (saved), factory);
}

TEST_F (PresetFileTest, UnprivilegedUserInLockedFolder)
{
    const auto locked = folder.getChildFile ("locked");
    ASSERT_TRUE (locked.createDirectory());
    const auto writable = fileWith ("locked/writable.karvelo"), mine = fileWith ("locked/read-only.karvelo");

    for (auto& file : { writable, mine })
        ASSERT_TRUE (geteuid() != 0 || chown (file.getFullPathName().toRawUTF8(), 65534, 65534) == 0);

    ASSERT_EQ (chmod (mine.getFullPathName().toRawUTF8(), 0444), 0);
    ASSERT_EQ (chmod (locked.getFullPathName().toRawUTF8(), geteuid() == 0 ? 0755 : 0555), 0);
    const juce::ScopeGuard unlock{ [&] { chmod (locked.getFullPathName().toRawUTF8(), 0755); } };

    // As the user "nobody"; without root, as the current user.
    const auto unprivileged = []
    {
        if (geteuid() == 0 && (setgid (65534) != 0 || setuid (65534) != 0))
            _exit (2);
    };
    EXPECT_TRUE (inChild (unprivileged, [&] { return write (writable); }));
    EXPECT_EQ (contentsOf (writable), factory);
    EXPECT_FALSE (inChild (unprivileged, [&] { return write (mine); }));
    EXPECT_EQ (contentsOf (mine), old);
}
