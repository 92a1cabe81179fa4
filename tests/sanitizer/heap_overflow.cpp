// Reads one element past the end of a heap block. AddressSanitizer must stop it.
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** /*argv*/) {
    std::vector<int> values(8, 1);
    const int* data = values.data();
    int sum = 0;
    for (int i = 0; i <= 8 + argc - 1; ++i) sum += data[i];
    std::printf("%d\n", sum);
    return EXIT_SUCCESS;
}
