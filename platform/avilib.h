// AVI writing of the platform library: recorded frames, each given as its
// 88-byte frame header (platform/avi_frame.h) and then its data, written as
// an AVI file to an output stream that need not be able to seek (standard
// output through the web server).
//
// Layout. Nothing already written is ever revisited, so every chunk is
// written only once its size is known: frames are gathered into segments of
// at most tq_avi_segment_limit bytes and each segment goes out whole.
//
//   RIFF 'AVI '  LIST hdrl (avih; strl per stream: strh, strf; LIST odml: dmlh)
//                LIST movi (00dc/01wb frame chunks; ix00/ix01 of this movi)
//                idx1 (the first segment's frames)
//   RIFF 'AVIX'  LIST movi (frame chunks; ix00/ix01)        ... one per further segment
//
// The header is written with the first segment, so the streams (codec,
// picture size, frame rate; audio format) are those of the frames that came
// before it went out (the first segment's, and the frame that ended it);
// frames of a kind the header does not declare are dropped. The first
// segment always holds at least one frame, however large. The
// header's frame counts (avih, strh, dmlh) are 0: they are not known before
// the file ends. Readers take the frames from the chunks and their places
// from the segments' standard index chunks (and from idx1 for the first
// segment); a reader that goes by the header's counts sees no length.
#pragma once

#include <cstdint>
#include <cstdio>

// The most frame bytes one segment holds before the next one starts (a
// single larger frame makes a segment of its own). Far below the 1 GiB that
// a RIFF chunk may hold: a segment is kept in memory until it is complete.
inline constexpr uint32_t tq_avi_segment_limit = 1u << 20;

// Opens a writer on fp (written with fwrite, flushed after each segment).
// Stores the handle in *handle when handle is not null and returns it;
// returns null when fp is null or memory runs out. Writes nothing yet.
void* tq_avi_open_fp(FILE* fp, void** handle);
// The same with another segment limit (tests lower it to see segments).
void* tq_avi_open_fp_limit(FILE* fp, void** handle, uint32_t segment_limit);
// Called once with a frame's 88-byte header and then once with its data.
// 0 when taken, -1 when the write is not a frame header where one is
// expected, the handle is null, or the stream failed.
int tq_avi_write_fp_ex(void* handle, const void* data, int length);
// Writes what is still gathered (the header first when nothing was written
// yet: a file without frames), flushes and releases the writer. 0, or -1
// when the stream failed at any point.
int tq_avi_close_fp(void* handle);
