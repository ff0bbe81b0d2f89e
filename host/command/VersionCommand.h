// `vomtrail version` (and `vomtrail --version`): the module's version text.
#pragma once

namespace vthost {

int RunVersion();

}  // namespace vthost
