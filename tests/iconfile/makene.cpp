// Writes an NE icon library from .ico files, for the committed fixtures:
//   makene OUT SHIFT GROUP:FILE.ico ...
// A GROUP made of digits is a numbered group, anything else a named one.
#include "nemodule.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::cerr << "usage: makene OUT SHIFT GROUP:FILE.ico...\n";
        return 2;
    }
    std::vector<gemino::test::NeGroup> groups;
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto colon = arg.find(':');
        if (colon == std::string::npos) {
            std::cerr << "bad group " << arg << "\n";
            return 2;
        }
        gemino::test::NeGroup group;
        const std::string key = arg.substr(0, colon);
        if (key.find_first_not_of("0123456789") == std::string::npos) {
            group.id = static_cast<std::uint16_t>(std::stoi(key));
        } else {
            group.name = key;
        }
        std::ifstream in(arg.substr(colon + 1), std::ios::binary);
        group.ico.assign(std::istreambuf_iterator<char>(in), {});
        if (group.ico.empty()) {
            std::cerr << "cannot read " << arg.substr(colon + 1) << "\n";
            return 1;
        }
        groups.push_back(std::move(group));
    }
    const auto module =
        gemino::test::BuildNeModule(groups, static_cast<unsigned>(std::atoi(argv[2])));
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(module.data()),
              static_cast<std::streamsize>(module.size()));
    return out ? 0 : 1;
}
