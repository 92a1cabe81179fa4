#pragma once

// Registers the movie components under their class ids: the two encoders
// (RAW Bayer and pictures), "AVI Mux", "File Writer" and "QT Mux". The
// program calls it once at start-up; the components are reached only through
// the registry from then on.
void registerMovieComponents();
