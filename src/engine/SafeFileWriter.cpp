#include "SafeFileWriter.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace SafeFileWriter
{
namespace
{
/** Longest chain of links followed, as the kernel's own limit for path resolution. */
constexpr int maximumLinkHops = 40;

/** The file a path finally names, through any chain of symbolic links (a relative link is read
    against the folder it lies in). Nothing for a loop or a link that cannot be read. */
std::optional<juce::File> resolveLinks (juce::File file)
{
    for (int hop = 0; hop < maximumLinkHops; ++hop)
    {
        struct stat status;

        if (::lstat (file.getFullPathName().toRawUTF8(), &status) != 0 || ! S_ISLNK (status.st_mode))
            return file;

        char target[PATH_MAX];
        const auto length = ::readlink (file.getFullPathName().toRawUTF8(), target, sizeof (target) - 1);

        if (length <= 0)
            return std::nullopt;

        target[length] = 0;
        file = file.getParentDirectory().getChildFile (juce::String::fromUTF8 (target, (int) length));
    }

    return std::nullopt;
}

bool writeAll (int descriptor, const void* data, size_t size)
{
    auto* bytes = static_cast<const char*> (data);

    while (size > 0)
    {
        const auto written = ::write (descriptor, bytes, size);

        if (written < 0 && errno == EINTR)
            continue;

        if (written <= 0)
            return false;

        bytes += written;
        size -= static_cast<size_t> (written);
    }

    return true;
}

bool holdsExactly (int descriptor, const void* data, size_t size)
{
    juce::HeapBlock<char> readBack (size + 1);
    const auto got = ::pread (descriptor, readBack.get(), size + 1, 0);
    return got == static_cast<ssize_t> (size) && std::memcmp (readBack.get(), data, size) == 0;
}

bool overwrite (int descriptor, const void* data, size_t size)
{
    return ::lseek (descriptor, 0, SEEK_SET) == 0 && writeAll (descriptor, data, size)
           && ::ftruncate (descriptor, static_cast<off_t> (size)) == 0 && ::fsync (descriptor) == 0
           && holdsExactly (descriptor, data, size);
}

/** Writes the target where it lies. Its old content is kept in memory first (preset files are
    small) and written back should the new content not read back exactly. */
bool writeInPlace (const juce::File& target, const struct stat& existing, const void* data, size_t size)
{
    constexpr off_t largestKept = 1 << 20;

    if (existing.st_size > largestKept)
        return false;

    const auto descriptor = ::open (target.getFullPathName().toRawUTF8(), O_RDWR | O_CLOEXEC);

    if (descriptor < 0)
        return false;

    juce::HeapBlock<char> old (static_cast<size_t> (existing.st_size) + 1);
    const auto oldSize = ::pread (descriptor, old.get(), static_cast<size_t> (existing.st_size), 0);
    auto written = oldSize == existing.st_size && overwrite (descriptor, data, size);

    if (! written && oldSize >= 0)
        overwrite (descriptor, old.get(), static_cast<size_t> (oldSize));

    written = (::close (descriptor) == 0) && written;
    return written;
}

/** A new hidden file beside the target, made with the permissions a new file gets (0666 less the
    umask). Nothing when the folder takes no new file. */
std::optional<std::pair<juce::File, int>> createTemporaryBeside (const juce::File& target)
{
    for (int attempt = 0; attempt < 16; ++attempt)
    {
        const auto candidate = target.getSiblingFile (
            "." + target.getFileName() + ".saving-" + juce::String::toHexString (juce::Random().nextInt64()));
        const auto descriptor =
            ::open (candidate.getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);

        if (descriptor >= 0)
            return std::make_pair (candidate, descriptor);

        if (errno != EEXIST)
            break;
    }

    return std::nullopt;
}

void syncFolder (const juce::File& folder)
{
    const auto descriptor = ::open (folder.getFullPathName().toRawUTF8(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);

    if (descriptor >= 0)
    {
        ::fsync (descriptor);
        ::close (descriptor);
    }
}
/** Everything of a replace up to the rename: a temporary file beside the target holding the new
    content with the target's mode and owner, flushed to the disk when asked. A file that must be
    written in place (several hard links, a folder that takes no new file) is written at once. */
enum class Prepared
{
    failed,
    writtenInPlace,
    readyToRename
};

Prepared prepare (const juce::File& file, const void* data, size_t size, bool flush,
                  juce::File& temporaryFile, juce::File& target)
{
    const auto resolved = resolveLinks (file);

    if (! resolved.has_value())
        return Prepared::failed;

    target = *resolved;
    const auto path = target.getFullPathName().toRawUTF8();
    struct stat existing;
    const bool exists = ::stat (path, &existing) == 0;

    if (! exists && errno != ENOENT)
        return Prepared::failed;

    const auto inPlace = [&]
    { return writeInPlace (target, existing, data, size) ? Prepared::writtenInPlace : Prepared::failed; };

    if (exists)
    {
        if (! S_ISREG (existing.st_mode))
            return Prepared::failed;

        // access() lets root write anything; a file that nobody may write is still read-only.
        if (::access (path, W_OK) != 0 || (existing.st_mode & 0222) == 0)
            return Prepared::failed;

        if (existing.st_nlink > 1)
            return inPlace();
    }

    const auto temporary = createTemporaryBeside (target);

    if (! temporary.has_value())
        return exists ? inPlace() : Prepared::failed;

    const auto descriptor = temporary->second;
    temporaryFile = temporary->first;
    auto written = writeAll (descriptor, data, size) && (! flush || ::fsync (descriptor) == 0);

    if (written && exists)
    {
        // The owner first: changing it clears set-id bits, which the mode then puts back. Someone
        // else's file keeps its owner when the process is allowed to say so, and its group when
        // the user belongs to it.
        if (::fchown (descriptor, existing.st_uid, existing.st_gid) != 0)
            (void) ::fchown (descriptor, static_cast<uid_t> (-1), existing.st_gid);

        written = ::fchmod (descriptor, existing.st_mode & 07777) == 0;
    }

    written = (::close (descriptor) == 0) && written;

    if (written)
        return Prepared::readyToRename;

    ::unlink (temporaryFile.getFullPathName().toRawUTF8());
    return Prepared::failed;
}

bool putInPlace (const juce::File& temporaryFile, const juce::File& target)
{
    if (::rename (temporaryFile.getFullPathName().toRawUTF8(), target.getFullPathName().toRawUTF8()) == 0)
        return true;

    ::unlink (temporaryFile.getFullPathName().toRawUTF8());
    return false;
}
} // namespace

bool replace (const juce::File& file, const void* data, size_t size)
{
    juce::File temporaryFile, target;

    switch (prepare (file, data, size, true, temporaryFile, target))
    {
        case Prepared::failed:
            return false;
        case Prepared::writtenInPlace:
            return true;
        case Prepared::readyToRename:
            break;
    }

    if (! putInPlace (temporaryFile, target))
        return false;

    syncFolder (target.getParentDirectory());
    return true;
}

//==============================================================================
Batch::~Batch()
{
    for (const auto& entry : pending)
        ::unlink (entry.temporaryFile.getFullPathName().toRawUTF8());
}

bool Batch::add (const juce::File& file, const void* data, size_t size)
{
    Pending entry;

    switch (prepare (file, data, size, false, entry.temporaryFile, entry.target))
    {
        case Prepared::failed:
            return false;
        case Prepared::writtenInPlace:
            return true;
        case Prepared::readyToRename:
            break;
    }

    pending.push_back (std::move (entry));
    return true;
}

juce::Array<juce::File> Batch::commit (const std::function<bool()>& shouldStop)
{
    juce::StringArray folders;

    for (const auto& entry : pending)
        folders.addIfNotAlreadyThere (entry.target.getParentDirectory().getFullPathName());

    // One flush of each file system puts every temporary file's content on the disk before any of
    // them takes its target's name.
    juce::Array<juce::File> failed;
    bool flushed = true;

    for (const auto& folder : folders)
    {
        const auto descriptor = ::open (folder.toRawUTF8(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        flushed = descriptor >= 0 && ::syncfs (descriptor) == 0 && flushed;

        if (descriptor >= 0)
            ::close (descriptor);
    }

    auto stopped = ! flushed;

    for (const auto& entry : pending)
    {
        stopped = stopped || (shouldStop && shouldStop());

        if (stopped)
            ::unlink (entry.temporaryFile.getFullPathName().toRawUTF8());

        if (stopped || ! putInPlace (entry.temporaryFile, entry.target))
            failed.add (entry.target);
    }

    pending.clear();

    for (const auto& folder : folders)
        syncFolder (juce::File (folder));

    return failed;
}
} // namespace SafeFileWriter
