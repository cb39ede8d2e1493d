// A debug check of the GL error flag at the end of a drawing pass: every pending error is
// logged with the place that found it. Window thread.
#pragma once

// Reads every pending GL error, logs each with `where`; true when there was none.
bool CheckGlErrors(const char* where);

// On in debug builds (or with KD_GL_DEBUG), free in release builds.
#if defined(NDEBUG) && !defined(KD_GL_DEBUG)
#define KD_GL_CHECK(where) ((void)0)
#else
#define KD_GL_CHECK(where) CheckGlErrors(where)
#endif
