#pragma once

// The process exit codes of raw2tvx. A shell sees kNotRawClip (-1) as 255.
namespace exit_codes {

inline constexpr int kSuccess = 0;
inline constexpr int kHelp = 1;   // fewer than two arguments: the help text
inline constexpr int kUsage = 2;  // a switch value, output pattern or output argument that cannot be used
inline constexpr int kMovieNameRefused = 3;  // the movie output could not be made under its name
inline constexpr int kWildcardOutput = 4;    // wildcard input without wildcard output
inline constexpr int kNoWildcardMatch = 5;   // a wildcard matched no file
inline constexpr int kClipUnusable = 6;      // a clip could not be opened, read or given its buffers
inline constexpr int kOutputIncomplete = 7;  // an output file could not be written completely
inline constexpr int kVerifyMismatch = 8;    // --verify: a frame of an archive differs or is missing
inline constexpr int kNotRawClip = -1;       // no trailer, wrong version, or a frame refused by the encoder

}  // namespace exit_codes
