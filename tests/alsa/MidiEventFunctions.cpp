// The snd_midi_event_* coder of the ALSA library, for what JUCE and the tests send: channel
// messages, real-time bytes and system exclusive.
//
// Encoding reads bytes until one completes an event. System exclusive data collects in the coder's
// buffer and leaves as one SND_SEQ_EVENT_SYSEX event at F7 (JUCE makes the buffer as long as the
// message); another status byte drops it. Real-time bytes are events of their own; data bytes after
// a complete channel message reuse its status. Decoding writes an event's bytes, or -ENOMEM when the
// buffer is too small and -ENOENT for an event the stand-in does not code. JUCE resets the decoder
// after every event, so a repeated status is always written.

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

struct snd_midi_event
{
    std::vector<unsigned char> buffer; // the message being encoded, from its status byte
    int status = 0;                    // 0xf0 inside system exclusive, 0 for none
};

namespace
{
constexpr std::pair<int, snd_seq_event_type_t> realTime[] = {
    { 0xf8, SND_SEQ_EVENT_CLOCK }, { 0xfa, SND_SEQ_EVENT_START },   { 0xfb, SND_SEQ_EVENT_CONTINUE },
    { 0xfc, SND_SEQ_EVENT_STOP },  { 0xfe, SND_SEQ_EVENT_SENSING }, { 0xff, SND_SEQ_EVENT_RESET },
};

constexpr snd_seq_event_type_t channelTypes[] = { SND_SEQ_EVENT_NOTEOFF,   SND_SEQ_EVENT_NOTEON,
                                                  SND_SEQ_EVENT_KEYPRESS,  SND_SEQ_EVENT_CONTROLLER,
                                                  SND_SEQ_EVENT_PGMCHANGE, SND_SEQ_EVENT_CHANPRESS,
                                                  SND_SEQ_EVENT_PITCHBEND };

void setFixed (snd_seq_event_t* ev, snd_seq_event_type_t type)
{
    ev->type = type;
    ev->flags =
        static_cast<unsigned char> ((ev->flags & ~SND_SEQ_EVENT_LENGTH_MASK) | SND_SEQ_EVENT_LENGTH_FIXED);
}

// Fills the event for a complete channel message: status, then its one or two data bytes.
void setChannelMessage (snd_seq_event_t* ev, const unsigned char* m)
{
    const auto kind = (m[0] >> 4) - 8;
    setFixed (ev, channelTypes[kind]);
    ev->data.control.channel = m[0] & 0x0f; // the same offset in note events

    if (kind < 3)
    {
        ev->data.note.note = m[1];
        ev->data.note.velocity = m[2];
    }
    else if (kind == 3)
    {
        ev->data.control.param = m[1];
        ev->data.control.value = m[2];
    }
    else
    {
        ev->data.control.value = kind == 6 ? (m[2] << 7 | m[1]) - 8192 : m[1];
    }
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
        dev->status = 0;
        dev->buffer.clear();
    }

    void snd_midi_event_reset_decode (snd_midi_event_t*) {}

    int snd_midi_event_encode_byte (snd_midi_event_t* dev, int c, snd_seq_event_t* ev)
    {
        c &= 0xff;
        auto& buffer = dev->buffer;

        if (c >= 0xf8)
        {
            for (auto [status, type] : realTime)
                if (status == c)
                    return setFixed (ev, type), 1;

            return 0;
        }

        if (dev->status == 0xf0 && (c < 0x80 || c == 0xf7))
        {
            buffer.push_back (static_cast<unsigned char> (c));

            if (c != 0xf7)
                return 0;

            setFixed (ev, SND_SEQ_EVENT_SYSEX);
            ev->flags = static_cast<unsigned char> ((ev->flags & ~SND_SEQ_EVENT_LENGTH_MASK)
                                                    | SND_SEQ_EVENT_LENGTH_VARIABLE);
            ev->data.ext.len = static_cast<unsigned int> (buffer.size());
            ev->data.ext.ptr = buffer.data();
            dev->status = 0;
            return 1;
        }

        if (c >= 0x80)
        {
            dev->status = c < 0xf0 || c == 0xf0 ? c : 0; // other system common messages are dropped
            buffer.assign (1, static_cast<unsigned char> (c));
            return 0;
        }

        if (dev->status == 0)
            return 0;

        if (buffer.empty())
            buffer.push_back (static_cast<unsigned char> (dev->status)); // running status

        buffer.push_back (static_cast<unsigned char> (c));
        const auto kind = (dev->status >> 4) - 8;

        if (buffer.size() < (kind == 4 || kind == 5 ? 2u : 3u))
            return 0;

        setChannelMessage (ev, buffer.data());
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
        std::vector<unsigned char> bytes;

        if (ev->type == SND_SEQ_EVENT_SYSEX)
        {
            if ((ev->flags & SND_SEQ_EVENT_LENGTH_MASK) == SND_SEQ_EVENT_LENGTH_FIXED)
                return -EINVAL;

            const auto* data = static_cast<const unsigned char*> (ev->data.ext.ptr);
            bytes.assign (data, data + ev->data.ext.len);
        }

        for (auto [status, type] : realTime)
            if (type == ev->type)
                bytes = { static_cast<unsigned char> (status) };

        for (int kind = 0; kind < 7; ++kind)
        {
            if (channelTypes[kind] != ev->type)
                continue;

            const auto status =
                static_cast<unsigned char> (0x80 + 16 * kind + (ev->data.control.channel & 0x0f));
            const auto value = ev->data.control.value;

            if (kind < 3)
                bytes = { status, ev->data.note.note, ev->data.note.velocity };
            else if (kind == 3)
                bytes = { status, static_cast<unsigned char> (ev->data.control.param),
                          static_cast<unsigned char> (value) };
            else if (kind == 6)
                bytes = { status, static_cast<unsigned char> ((value + 8192) & 0x7f),
                          static_cast<unsigned char> (((value + 8192) >> 7) & 0x7f) };
            else
                bytes = { status, static_cast<unsigned char> (value) };
        }

        if (bytes.empty())
            return -ENOENT;

        if (static_cast<long> (bytes.size()) > count)
            return -ENOMEM;

        std::copy (bytes.begin(), bytes.end(), buf);
        return static_cast<long> (bytes.size());
    }
} // extern "C"
