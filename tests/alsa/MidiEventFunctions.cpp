// The snd_midi_event_* coder of the ALSA library: MIDI bytes to sequencer events and back.
//
// Encoding reads bytes until one completes an event. System exclusive data collects in the
// coder's buffer and leaves as a SND_SEQ_EVENT_SYSEX event whose data points into that buffer,
// when F7 arrives or when the buffer is full (the rest follows in further events, without F0).
// Real-time bytes become events of their own without disturbing a message in progress; data bytes
// after a complete channel message reuse its status (running status). Decoding writes an event's
// bytes, leaving out a channel message's status byte when it repeats the previous one, until
// snd_midi_event_reset_decode.

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cerrno>
#include <vector>

struct snd_midi_event
{
    std::vector<unsigned char> buffer;
    int status = 0;   // of the message being encoded; 0xf0 inside system exclusive, 0 for none
    int expected = 0; // data bytes a complete message of that status has
    int collected = 0;
    int lastDecodedStatus = 0;
};

namespace
{
constexpr unsigned char sysexStart = 0xf0, sysexEnd = 0xf7;

int dataBytesAfter (int status)
{
    switch (status & 0xf0)
    {
        case 0xc0:
        case 0xd0:
            return 1;
        case 0xf0:
            return status == 0xf2 ? 2 : (status == 0xf1 || status == 0xf3 ? 1 : 0);
        default:
            return 2;
    }
}

snd_seq_event_type_t typeOfStatus (int status)
{
    switch (status & 0xf0)
    {
        case 0x80:
            return SND_SEQ_EVENT_NOTEOFF;
        case 0x90:
            return SND_SEQ_EVENT_NOTEON;
        case 0xa0:
            return SND_SEQ_EVENT_KEYPRESS;
        case 0xb0:
            return SND_SEQ_EVENT_CONTROLLER;
        case 0xc0:
            return SND_SEQ_EVENT_PGMCHANGE;
        case 0xd0:
            return SND_SEQ_EVENT_CHANPRESS;
        case 0xe0:
            return SND_SEQ_EVENT_PITCHBEND;
        default:
            break;
    }

    switch (status)
    {
        case 0xf1:
            return SND_SEQ_EVENT_QFRAME;
        case 0xf2:
            return SND_SEQ_EVENT_SONGPOS;
        case 0xf3:
            return SND_SEQ_EVENT_SONGSEL;
        case 0xf6:
            return SND_SEQ_EVENT_TUNE_REQUEST;
        case 0xf8:
            return SND_SEQ_EVENT_CLOCK;
        case 0xfa:
            return SND_SEQ_EVENT_START;
        case 0xfb:
            return SND_SEQ_EVENT_CONTINUE;
        case 0xfc:
            return SND_SEQ_EVENT_STOP;
        case 0xfe:
            return SND_SEQ_EVENT_SENSING;
        case 0xff:
            return SND_SEQ_EVENT_RESET;
        default:
            return SND_SEQ_EVENT_NONE;
    }
}

void setFixed (snd_seq_event_t* ev, snd_seq_event_type_t type)
{
    ev->type = type;
    ev->flags =
        static_cast<unsigned char> ((ev->flags & ~SND_SEQ_EVENT_LENGTH_MASK) | SND_SEQ_EVENT_LENGTH_FIXED);
}

// Fills the event for a complete short message; d holds its data bytes.
void setShortMessage (snd_seq_event_t* ev, int status, const unsigned char* d)
{
    setFixed (ev, typeOfStatus (status));
    const auto channel = static_cast<unsigned char> (status & 0x0f);

    switch (status & 0xf0)
    {
        case 0x80:
        case 0x90:
        case 0xa0:
            ev->data.note.channel = channel;
            ev->data.note.note = d[0];
            ev->data.note.velocity = d[1];
            return;
        case 0xb0:
            ev->data.control.channel = channel;
            ev->data.control.param = d[0];
            ev->data.control.value = d[1];
            return;
        case 0xc0:
        case 0xd0:
            ev->data.control.channel = channel;
            ev->data.control.value = d[0];
            return;
        case 0xe0:
            ev->data.control.channel = channel;
            ev->data.control.value = (d[1] << 7 | d[0]) - 8192;
            return;
        default:
            break;
    }

    if (status == 0xf2)
        ev->data.control.value = d[1] << 7 | d[0];
    else if (status == 0xf1 || status == 0xf3)
        ev->data.control.value = d[0];
}

void emitSysex (snd_midi_event_t* dev, snd_seq_event_t* ev)
{
    ev->type = SND_SEQ_EVENT_SYSEX;
    ev->flags =
        static_cast<unsigned char> ((ev->flags & ~SND_SEQ_EVENT_LENGTH_MASK) | SND_SEQ_EVENT_LENGTH_VARIABLE);
    ev->data.ext.len = static_cast<unsigned int> (dev->collected);
    ev->data.ext.ptr = dev->buffer.data();
    dev->collected = 0;
}
} // namespace

extern "C"
{
    int snd_midi_event_new (size_t bufsize, snd_midi_event_t** rdev)
    {
        *rdev = new snd_midi_event;
        (*rdev)->buffer.resize (bufsize);
        return 0;
    }

    void snd_midi_event_free (snd_midi_event_t* dev)
    {
        delete dev;
    }

    void snd_midi_event_reset_encode (snd_midi_event_t* dev)
    {
        dev->status = dev->expected = dev->collected = 0;
    }

    void snd_midi_event_reset_decode (snd_midi_event_t* dev)
    {
        dev->lastDecodedStatus = 0;
    }

    int snd_midi_event_encode_byte (snd_midi_event_t* dev, int c, snd_seq_event_t* ev)
    {
        c &= 0xff;

        if (c >= 0xf8)
        {
            setFixed (ev, typeOfStatus (c));
            return ev->type != SND_SEQ_EVENT_NONE ? 1 : 0;
        }

        auto& buffer = dev->buffer;

        if (dev->status == sysexStart)
        {
            if (c == sysexEnd || c < 0x80)
            {
                if (dev->collected < static_cast<int> (buffer.size()))
                    buffer[static_cast<size_t> (dev->collected++)] = static_cast<unsigned char> (c);

                if (c == sysexEnd)
                    dev->status = 0;

                if (c == sysexEnd || dev->collected == static_cast<int> (buffer.size()))
                {
                    emitSysex (dev, ev);
                    return 1;
                }

                return 0;
            }

            dev->collected = 0; // another status byte ends the system exclusive message, unsent
        }

        if (c >= 0x80)
        {
            dev->status = c == sysexEnd || c == 0xf4 || c == 0xf5 ? 0 : c;
            dev->expected = dataBytesAfter (c);
            dev->collected = 0;

            if (c == sysexStart && ! buffer.empty())
            {
                buffer[static_cast<size_t> (dev->collected++)] = sysexStart;

                if (dev->collected == static_cast<int> (buffer.size()))
                {
                    emitSysex (dev, ev);
                    return 1;
                }
            }
            else if (c == 0xf6)
            {
                dev->status = 0;
                setFixed (ev, SND_SEQ_EVENT_TUNE_REQUEST);
                return 1;
            }

            return 0;
        }

        if (dev->status == 0 || static_cast<int> (buffer.size()) < dev->expected)
            return 0;

        buffer[static_cast<size_t> (dev->collected++)] = static_cast<unsigned char> (c);

        if (dev->collected < dev->expected)
            return 0;

        setShortMessage (ev, dev->status, buffer.data());
        dev->collected = 0;

        if (dev->status >= 0xf0)
            dev->status = 0; // system common messages have no running status

        return 1;
    }

    long snd_midi_event_encode (snd_midi_event_t* dev, const unsigned char* buf, long count,
                                snd_seq_event_t* ev)
    {
        ev->type = SND_SEQ_EVENT_NONE;
        long used = 0;

        while (used < count)
        {
            const auto result = snd_midi_event_encode_byte (dev, buf[used++], ev);

            if (result < 0)
                return result;

            if (result > 0)
                break;
        }

        return used;
    }

    long snd_midi_event_decode (snd_midi_event_t* dev, unsigned char* buf, long count,
                                const snd_seq_event_t* ev)
    {
        if (ev->type == SND_SEQ_EVENT_SYSEX)
        {
            if ((ev->flags & SND_SEQ_EVENT_LENGTH_MASK) == SND_SEQ_EVENT_LENGTH_FIXED)
                return -EINVAL;

            const auto length = static_cast<long> (ev->data.ext.len);

            if (length > count)
                return -ENOMEM;

            const auto* data = static_cast<const unsigned char*> (ev->data.ext.ptr);
            std::copy (data, data + length, buf);
            dev->lastDecodedStatus = 0;
            return length;
        }

        int status = 0;
        unsigned char bytes[3] = {};
        int size = 0;
        const auto channel = ev->data.control.channel & 0x0f; // the same offset in note events
        const auto value = ev->data.control.value;

        switch (ev->type)
        {
            case SND_SEQ_EVENT_NOTEOFF:
            case SND_SEQ_EVENT_NOTEON:
            case SND_SEQ_EVENT_KEYPRESS:
                status =
                    (ev->type == SND_SEQ_EVENT_NOTEOFF ? 0x80
                                                       : (ev->type == SND_SEQ_EVENT_NOTEON ? 0x90 : 0xa0))
                    | (ev->data.note.channel & 0x0f);
                bytes[1] = ev->data.note.note & 0x7f;
                bytes[2] = ev->data.note.velocity & 0x7f;
                size = 3;
                break;
            case SND_SEQ_EVENT_CONTROLLER:
                status = 0xb0 | channel;
                bytes[1] = static_cast<unsigned char> (ev->data.control.param & 0x7f);
                bytes[2] = static_cast<unsigned char> (value & 0x7f);
                size = 3;
                break;
            case SND_SEQ_EVENT_PGMCHANGE:
            case SND_SEQ_EVENT_CHANPRESS:
                status = (ev->type == SND_SEQ_EVENT_PGMCHANGE ? 0xc0 : 0xd0) | channel;
                bytes[1] = static_cast<unsigned char> (value & 0x7f);
                size = 2;
                break;
            case SND_SEQ_EVENT_PITCHBEND:
                status = 0xe0 | channel;
                bytes[1] = static_cast<unsigned char> ((value + 8192) & 0x7f);
                bytes[2] = static_cast<unsigned char> (((value + 8192) >> 7) & 0x7f);
                size = 3;
                break;
            case SND_SEQ_EVENT_QFRAME:
            case SND_SEQ_EVENT_SONGSEL:
                status = ev->type == SND_SEQ_EVENT_QFRAME ? 0xf1 : 0xf3;
                bytes[1] = static_cast<unsigned char> (value & 0x7f);
                size = 2;
                break;
            case SND_SEQ_EVENT_SONGPOS:
                status = 0xf2;
                bytes[1] = static_cast<unsigned char> (value & 0x7f);
                bytes[2] = static_cast<unsigned char> ((value >> 7) & 0x7f);
                size = 3;
                break;
            case SND_SEQ_EVENT_TUNE_REQUEST:
                status = 0xf6;
                size = 1;
                break;
            case SND_SEQ_EVENT_CLOCK:
                status = 0xf8;
                size = 1;
                break;
            case SND_SEQ_EVENT_START:
                status = 0xfa;
                size = 1;
                break;
            case SND_SEQ_EVENT_CONTINUE:
                status = 0xfb;
                size = 1;
                break;
            case SND_SEQ_EVENT_STOP:
                status = 0xfc;
                size = 1;
                break;
            case SND_SEQ_EVENT_SENSING:
                status = 0xfe;
                size = 1;
                break;
            case SND_SEQ_EVENT_RESET:
                status = 0xff;
                size = 1;
                break;
            default:
                return -ENOENT; // not a MIDI message, or one the stand-in does not code
        }

        bytes[0] = static_cast<unsigned char> (status);
        const unsigned char* first = bytes;

        if (status < 0xf0 && status == dev->lastDecodedStatus)
        {
            ++first;
            --size;
        }

        if (size > count)
            return -ENOMEM;

        if (status < 0xf0)
            dev->lastDecodedStatus = status;
        else if (status < 0xf8)
            dev->lastDecodedStatus = 0;

        std::copy (first, first + size, buf);
        return size;
    }
} // extern "C"
