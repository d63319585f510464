// vorlaxis-check: the media test without a window.
#include <cstdio>

int main() {
    std::fputs("vorlaxis-check: not built yet\n", stderr);
    return 2;
}
