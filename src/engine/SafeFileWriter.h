#pragma once

#include <juce_core/juce_core.h>

#include <functional>

/** Replaces the content of a user's file without ever leaving it half-written, and without
    changing what the user set up around it.

    - A symbolic link is followed, at the time of writing, to the file it names: the link stays a
      link and its target receives the content (a dangling link's target is created).
    - The new content goes into a temporary file beside the target, which then takes the target's
      place in one rename; a full disk or any other failed write leaves the old file as it was.
    - The replaced file keeps its permission bits, and its owner and group as far as the process
      may set them.
    - A file that nobody may write (no write permission bit at all, or none for this user) is
      refused, even for root.
    - A file with several hard links is written in place, so that every name of it sees the new
      content; the write is checked by reading it back, and the old content is put back when the
      check fails.
    - When no temporary file can be made beside the target (a folder the user may not write),
      the file is written in place in the same checked way. Only then is the old content at risk.

    Returns whether the file now holds exactly the given bytes.
*/
namespace SafeFileWriter
{
bool replace (const juce::File& file, const void* data, size_t size);

/** Replaces many files, each as replace does, but flushes the disk once for the whole batch
    instead of twice for every file: each new content goes into its temporary file, one flush puts
    them all on the disk, and only then does each take its target's place. Whenever the machine
    stops, each target holds its old content or its complete new one. A file that must be written
    in place is written when it is added, as replace writes it. */
class Batch
{
public:
    Batch() = default;

    /** Removes the temporary files of a batch that was not committed. */
    ~Batch();

    /** Prepares one file; false when it cannot be written (nothing is then left behind). */
    bool add (const juce::File& file, const void* data, size_t size);

    /** Puts every prepared file in place; returns those that could not be. When shouldStop says so
        before a file's turn, that file and the rest keep their old content. */
    juce::Array<juce::File> commit (const std::function<bool()>& shouldStop = {});

private:
    struct Pending
    {
        juce::File temporaryFile, target;
    };

    std::vector<Pending> pending;

    JUCE_DECLARE_NON_COPYABLE (Batch)
};
} // namespace SafeFileWriter
