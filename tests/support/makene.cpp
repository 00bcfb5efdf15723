// Writes an NE icon library from .ico files, for the committed fixtures:
//   makene OUT SHIFT GROUP:FILE.ico ...
// A GROUP made of digits is a numbered group, anything else a named one. BuildNeModule throws
// for an .ico that cannot be read, as it is empty.
#include "nemodule.h"

#include <fstream>
#include <iterator>

int main(int argc, char** argv) {
    if (argc < 4) {
        return 2;
    }
    std::vector<gemino::test::NeGroup> groups;
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        const std::string key = arg.substr(0, arg.find(':'));
        const bool numbered = key.find_first_not_of("0123456789") == std::string::npos;
        std::ifstream in(arg.substr(key.size() + 1), std::ios::binary);
        groups.push_back({numbered ? "" : key,
                          std::uint16_t(numbered ? std::stoi(key) : 0),
                          {std::istreambuf_iterator<char>(in), {}}});
    }
    const auto module = gemino::test::buildNeModule(groups, unsigned(std::stoi(argv[2])));
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(module.data()), std::streamsize(module.size()));
    return out ? 0 : 1;
}
