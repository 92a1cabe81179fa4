// The entry of raw2tvx-movie.so, the module that holds the movie components
// and the FFmpeg libraries they use. The program loads it the first time a
// run asks for a movie component, so that a DPX run never maps FFmpeg. Its
// calls into the media framework and the platform layer bind to the
// program's own copies (the program exports its symbols), so the components
// register in the program's registry and see its processor limit.
#include "components/movie_components.h"

extern "C" __attribute__((visibility("default"))) void raw2tvxRegisterMovieComponents() {
    registerMovieComponents();
}
