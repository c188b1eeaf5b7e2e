// kavro-defaults: the preference domains of a simulated device from the command line.

#include "sim/defaults/DefaultsTool.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  // Standard input is read in large blocks by `import DOMAIN -`, not mixed with C
  // stdio.
  std::ios::sync_with_stdio(false);
  std::vector<std::string> arguments(argv + 1, argv + argc);
  kavro::defaults::DefaultsTool tool(std::cout, std::cerr, std::cin);
  return tool.run(arguments);
}
