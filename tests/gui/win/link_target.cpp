// link_target SHORTCUT: prints the shortcut's target and working folder, one per line (UTF-8), as
// the shell reads them; exit status 1 when the file does not load as a shortcut. The end-to-end test
// of the Windows build reads the Send To entry back with it.

#include <cstdio>

#include "ShellLink_win.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: link_target SHORTCUT\n");
        return 2;
    }
    const zarkent::test::LinkInfo link = zarkent::test::LoadLink(argv[1]);
    if (link.target.empty()) {
        std::fprintf(stderr, "link_target: %s does not load as a shortcut\n", argv[1]);
        return 1;
    }
    std::printf("%s\n%s\n", zarkent::win::Narrow(link.target).c_str(), zarkent::win::Narrow(link.folder).c_str());
    return 0;
}
