// The 88-byte frame header: how the core daemon describes one recorded
// frame (video or audio). The download stream carries it in front of every
// frame piece, the handler passes it to the AVI library unchanged, and the
// AVI library reads the stream's codec, picture size, frame rate and key
// frames from it. The simulated core daemon fills it the same way.
#pragma once

#include <cstddef>
#include <cstdint>

// What the frame holds.
inline constexpr int32_t avi_frame_video = 0;
inline constexpr int32_t avi_frame_audio = 1;

// Codecs. Video: the picture coding; audio: the sample coding.
inline constexpr int32_t avi_codec_h264 = 1;
inline constexpr int32_t avi_codec_h265 = 2;
inline constexpr int32_t avi_codec_mjpeg = 3;
inline constexpr int32_t avi_codec_pcm = 16;   // 16-bit little-endian samples
inline constexpr int32_t avi_codec_alaw = 17;  // G.711 A-law, 8-bit
inline constexpr int32_t avi_codec_ulaw = 18;  // G.711 mu-law, 8-bit

struct avi_frame_header {
    int32_t kind;            // avi_frame_video or avi_frame_audio
    int32_t codec;           // avi_codec_*
    int32_t width;           // video: picture size in pixels
    int32_t height;
    int32_t frame_rate;      // video: frames per second
    int32_t key_frame;       // video: 1 for a frame that decodes on its own
    int64_t time_stamp_us;   // capture time, microseconds since the epoch
    int32_t channel;         // camera channel 0..63
    int32_t sequence;        // frame number within the recording
    int32_t data_length;     // the frame's total data length in bytes
    int32_t sample_rate;     // audio: samples per second
    int32_t sample_bits;     // audio: bits per sample
    int32_t audio_channels;  // audio: 1 mono, 2 stereo
    uint8_t reserved[16];
    // The 32-bit target's frame descriptor keeps the address of the frame's
    // data here in the copy handed to the AVI library. A 64-bit build has no
    // room for an address: it leaves 0, and the AVI library takes the data
    // only from the write that follows the header.
    uint32_t data_addr;
    uint8_t reserved_end[12];
};
static_assert(sizeof(avi_frame_header) == 88);
static_assert(offsetof(avi_frame_header, time_stamp_us) == 24);
static_assert(offsetof(avi_frame_header, data_length) == 40);
static_assert(offsetof(avi_frame_header, data_addr) == 72);
