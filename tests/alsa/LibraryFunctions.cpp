// The rest of the ALSA library that JUCE's audio devices module refers to: error reporting, and the
// sound card, control and PCM functions of its audio device type. The stand-in has a sequencer and
// no sound card: listing finds no card and no device hint, and every open fails with -ENODEV, so
// nothing can reach the functions that need an open handle; those fail the same way.

#include <alsa/asoundlib.h>

#include <cerrno>
#include <cstring>

// One line each: the real headers declare every one, so the compiler checks the signatures.
// clang-format off
extern "C"
{
    int snd_lib_error_set_handler (snd_lib_error_handler_t) { return 0; } // errors are return values only
    const char* snd_strerror (int errnum) { return std::strerror (errnum < 0 ? -errnum : errnum); }
    int snd_config_update_free_global() { return 0; }
    int snd_card_next (int* card) { *card = -1; return 0; }
    int snd_device_name_hint (int, const char*, void*** hints) { *hints = nullptr; return -ENODEV; }
    char* snd_device_name_get_hint (const void*, const char*) { return nullptr; }
    int snd_device_name_free_hint (void**) { return 0; }

    int snd_ctl_open (snd_ctl_t** ctl, const char*, int) { *ctl = nullptr; return -ENODEV; }
    int snd_ctl_close (snd_ctl_t*) { return -ENODEV; }
    size_t snd_ctl_card_info_sizeof() { return 512; }
    int snd_ctl_card_info (snd_ctl_t*, snd_ctl_card_info_t*) { return -ENODEV; }
    const char* snd_ctl_card_info_get_id (const snd_ctl_card_info_t*) { return ""; }
    const char* snd_ctl_card_info_get_name (const snd_ctl_card_info_t*) { return ""; }
    int snd_ctl_pcm_next_device (snd_ctl_t*, int* device) { *device = -1; return -ENODEV; }
    int snd_ctl_pcm_info (snd_ctl_t*, snd_pcm_info_t*) { return -ENODEV; }

    int snd_pcm_open (snd_pcm_t** pcm, const char*, snd_pcm_stream_t, int) { *pcm = nullptr; return -ENODEV; }
    int snd_pcm_close (snd_pcm_t*) { return -ENODEV; }
    size_t snd_pcm_info_sizeof() { return 512; }
    void snd_pcm_info_set_device (snd_pcm_info_t*, unsigned int) {}
    void snd_pcm_info_set_subdevice (snd_pcm_info_t*, unsigned int) {}
    void snd_pcm_info_set_stream (snd_pcm_info_t*, snd_pcm_stream_t) {}
    const char* snd_pcm_info_get_name (const snd_pcm_info_t*) { return ""; }
    const char* snd_pcm_info_get_subdevice_name (const snd_pcm_info_t*) { return ""; }
    unsigned int snd_pcm_info_get_subdevices_count (const snd_pcm_info_t*) { return 0; }
    size_t snd_pcm_hw_params_sizeof() { return 1024; }
    size_t snd_pcm_sw_params_sizeof() { return 256; }
    int snd_pcm_hw_params_any (snd_pcm_t*, snd_pcm_hw_params_t*) { return -ENODEV; }
    int snd_pcm_hw_params (snd_pcm_t*, snd_pcm_hw_params_t*) { return -ENODEV; }
    int snd_pcm_hw_params_get_channels_min (const snd_pcm_hw_params_t*, unsigned int*) { return -ENODEV; }
    int snd_pcm_hw_params_get_channels_max (const snd_pcm_hw_params_t*, unsigned int*) { return -ENODEV; }
    int snd_pcm_hw_params_get_period_size (const snd_pcm_hw_params_t*, snd_pcm_uframes_t*, int*) { return -ENODEV; }
    int snd_pcm_hw_params_get_periods (const snd_pcm_hw_params_t*, unsigned int*, int*) { return -ENODEV; }
    int snd_pcm_hw_params_set_access (snd_pcm_t*, snd_pcm_hw_params_t*, snd_pcm_access_t) { return -ENODEV; }
    int snd_pcm_hw_params_set_channels (snd_pcm_t*, snd_pcm_hw_params_t*, unsigned int) { return -ENODEV; }
    int snd_pcm_hw_params_set_format (snd_pcm_t*, snd_pcm_hw_params_t*, snd_pcm_format_t) { return -ENODEV; }
    int snd_pcm_hw_params_set_period_size_near (snd_pcm_t*, snd_pcm_hw_params_t*, snd_pcm_uframes_t*, int*) { return -ENODEV; }
    int snd_pcm_hw_params_set_periods_near (snd_pcm_t*, snd_pcm_hw_params_t*, unsigned int*, int*) { return -ENODEV; }
    int snd_pcm_hw_params_set_rate_near (snd_pcm_t*, snd_pcm_hw_params_t*, unsigned int*, int*) { return -ENODEV; }
    int snd_pcm_hw_params_test_rate (snd_pcm_t*, snd_pcm_hw_params_t*, unsigned int, int) { return -ENODEV; }
    int snd_pcm_sw_params_current (snd_pcm_t*, snd_pcm_sw_params_t*) { return -ENODEV; }
    int snd_pcm_sw_params (snd_pcm_t*, snd_pcm_sw_params_t*) { return -ENODEV; }
    int snd_pcm_sw_params_get_boundary (const snd_pcm_sw_params_t*, snd_pcm_uframes_t*) { return -ENODEV; }
    int snd_pcm_sw_params_set_silence_size (snd_pcm_t*, snd_pcm_sw_params_t*, snd_pcm_uframes_t) { return -ENODEV; }
    int snd_pcm_sw_params_set_silence_threshold (snd_pcm_t*, snd_pcm_sw_params_t*, snd_pcm_uframes_t) { return -ENODEV; }
    int snd_pcm_sw_params_set_start_threshold (snd_pcm_t*, snd_pcm_sw_params_t*, snd_pcm_uframes_t) { return -ENODEV; }
    int snd_pcm_sw_params_set_stop_threshold (snd_pcm_t*, snd_pcm_sw_params_t*, snd_pcm_uframes_t) { return -ENODEV; }
    int snd_pcm_link (snd_pcm_t*, snd_pcm_t*) { return -ENODEV; }
    int snd_pcm_prepare (snd_pcm_t*) { return -ENODEV; }
    int snd_pcm_recover (snd_pcm_t*, int, int) { return -ENODEV; }
    int snd_pcm_wait (snd_pcm_t*, int) { return -ENODEV; }
    snd_pcm_sframes_t snd_pcm_avail_update (snd_pcm_t*) { return -ENODEV; }
    snd_pcm_sframes_t snd_pcm_readi (snd_pcm_t*, void*, snd_pcm_uframes_t) { return -ENODEV; }
    snd_pcm_sframes_t snd_pcm_readn (snd_pcm_t*, void**, snd_pcm_uframes_t) { return -ENODEV; }
    snd_pcm_sframes_t snd_pcm_writei (snd_pcm_t*, const void*, snd_pcm_uframes_t) { return -ENODEV; }
    snd_pcm_sframes_t snd_pcm_writen (snd_pcm_t*, void**, snd_pcm_uframes_t) { return -ENODEV; }
} // extern "C"
// clang-format on
