// kavro-defaults: the preference domains of a simulated device from the command line.

#include "sim/defaults/DefaultsTool.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  kavro::defaults::DefaultsTool tool(std::cout, std::cerr);
  return tool.run(arguments);
}
