// Adds one to the largest int read from the command line. UndefinedBehaviorSanitizer
// must stop it.
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    int value = argc > 1 ? std::atoi(argv[1]) : 2147483647;
    value += 1;
    std::printf("%d\n", value);
    return EXIT_SUCCESS;
}
