// The snd_midi_event_* coder of the ALSA library, for what JUCE and the tests send: channel
// messages, real-time bytes and system exclusive. JUCE looks only at the bytes the decoder gives back,
// never at an event's type or fields, so a short message travels as its own bytes in a fixed-length
// event of the type SND_SEQ_EVENT_USR0.
//
// Encoding reads bytes until one completes an event. System exclusive data collects in the coder's
// buffer and leaves as one SND_SEQ_EVENT_SYSEX event at F7 (JUCE makes the buffer as long as the
// message); another status byte drops it, and system common messages are dropped. Real-time bytes
// are events of their own; data bytes after a complete channel message reuse its status. Decoding
// writes an event's bytes, or -ENOMEM when the buffer is too small and -ENOENT for another event.

#include <alsa/asoundlib.h>

#include <cerrno>
#include <cstring>
#include <vector>

struct snd_midi_event
{
    std::vector<unsigned char> buffer; // the message being encoded, from its status byte
    int status = 0;                    // the running status; 0xf0 inside system exclusive, 0 for none
};

namespace
{
size_t lengthOf (int status)
{
    return status >= 0xf8 ? 1 : (status & 0xe0) == 0xc0 ? 2 : 3;
}
} // namespace

extern "C"
{
    int snd_midi_event_new (size_t bufsize, snd_midi_event_t** rdev)
    {
        *rdev = new snd_midi_event;
        (*rdev)->buffer.reserve (bufsize);
        return 0;
    }

    void snd_midi_event_free (snd_midi_event_t* dev)
    {
        delete dev;
    }
    void snd_midi_event_reset_encode (snd_midi_event_t* dev)
    {
        *dev = {};
    }
    void snd_midi_event_reset_decode (snd_midi_event_t*) {}

    int snd_midi_event_encode_byte (snd_midi_event_t* dev, int c, snd_seq_event_t* ev)
    {
        const auto byte = static_cast<unsigned char> (c);
        auto& buffer = dev->buffer;
        const auto shortEvent = [ev] (const unsigned char* bytes, size_t size)
        {
            ev->type = SND_SEQ_EVENT_USR0;
            ev->flags = SND_SEQ_EVENT_LENGTH_FIXED;
            std::memcpy (ev->data.raw8.d, bytes, size);
            return 1;
        };

        if (byte >= 0xf8)
            return shortEvent (&byte, 1);

        if (byte >= 0x80 && ! (byte == 0xf7 && dev->status == 0xf0))
        {
            dev->status = byte <= 0xf0 ? byte : 0;
            buffer.assign (1, byte);
            return 0;
        }

        if (dev->status == 0)
            return 0;

        if (buffer.empty())
            buffer.push_back (static_cast<unsigned char> (dev->status));

        buffer.push_back (byte);

        if (dev->status == 0xf0)
        {
            if (byte != 0xf7)
                return 0;

            ev->type = SND_SEQ_EVENT_SYSEX;
            ev->flags = SND_SEQ_EVENT_LENGTH_VARIABLE;
            ev->data.ext = { static_cast<unsigned int> (buffer.size()), buffer.data() };
            dev->status = 0;
            return 1;
        }

        if (buffer.size() < lengthOf (dev->status))
            return 0;

        shortEvent (buffer.data(), buffer.size());
        buffer.clear();
        return 1;
    }

    long snd_midi_event_encode (snd_midi_event_t* dev, const unsigned char* buf, long count,
                                snd_seq_event_t* ev)
    {
        ev->type = SND_SEQ_EVENT_NONE;
        long used = 0;

        while (used < count)
            if (snd_midi_event_encode_byte (dev, buf[used++], ev) > 0)
                break;

        return used;
    }

    long snd_midi_event_decode (snd_midi_event_t*, unsigned char* buf, long count, const snd_seq_event_t* ev)
    {
        const bool sysex = ev->type == SND_SEQ_EVENT_SYSEX;

        if (! sysex && ev->type != SND_SEQ_EVENT_USR0)
            return -ENOENT;

        const auto* bytes = sysex ? static_cast<const unsigned char*> (ev->data.ext.ptr) : ev->data.raw8.d;
        const auto size = static_cast<long> (sysex ? ev->data.ext.len : lengthOf (bytes[0]));

        if (size > count)
            return -ENOMEM;

        std::memcpy (buf, bytes, static_cast<size_t> (size));
        return size;
    }
} // extern "C"
