#pragma once

#include <string>
#include <utility>

// How a step of writing a movie ended. A write failure (disk full, file size
// limit, a directory that takes no new file) carries the errno so the caller
// can tell it from any other failure and name the reason.
struct MovieResult {
    int writeError = 0;    // errno of the failed create, write, flush, close or rename
    int libraryError = 0;  // AVERROR code of any other failure
    std::string step;      // what was being done: "writing the header", ...

    bool ok() const { return writeError == 0 && libraryError == 0; }
    bool isWriteFailure() const { return writeError != 0; }
    // The system's or the library's text for the error ("No space left on device").
    std::string reason() const;
    // "writing the trailer: No space left on device"; "" when it succeeded.
    std::string describe() const;

    static MovieResult success() { return {}; }
    static MovieResult writeFailure(int errorNumber, std::string what) {
        return {errorNumber, 0, std::move(what)};
    }
    static MovieResult libraryFailure(int averror, std::string what) { return {0, averror, std::move(what)}; }
};
