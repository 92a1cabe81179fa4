#pragma once

class Console;

// Has the movie components loaded the first time a run asks for one: from
// the module beside the program (the build tree) or in ../lib/raw2tvx/modules
// from its directory (installed). A module that cannot be loaded is said on
// the console, and the movie then fails as it does without its component.
void loadMovieComponentsWhenNeeded(Console& console);
