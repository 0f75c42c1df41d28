// kestrel-admin: see Admin.h for the commands.
#include <iostream>

#include "kestrel/admin/Admin.h"

int main(int argc, char** argv) {
  return kestrel::admin::RunAdmin(std::vector<std::string>(argv + 1, argv + argc), std::cin,
                                  std::cout, std::cerr);
}
