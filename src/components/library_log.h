#pragma once

// The components print nothing: what FFmpeg's libraries would log (notes,
// warnings, their own view of an error) is dropped, and every failure reaches
// the caller as a result instead. Affects the whole process; safe to call
// from any thread, any number of times.
void silenceLibraryLog();
