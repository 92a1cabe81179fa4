#pragma once

// Registers the movie components under their class ids: the two encoders
// (RAW Bayer and pictures), "AVI Mux", "File Writer", "QT Mux" and the
// archive reader. The
// program calls it once at start-up; the components are reached only through
// the registry from then on.
void registerMovieComponents();
