#include "command/VersionCommand.h"

#include <iostream>

#include "command/Messages.h"
#include "system/ModuleCalls.h"

namespace vthost {

int RunVersion() {
  std::cout << CallGetVersion() << '\n';
  return kExitOk;
}

}  // namespace vthost
