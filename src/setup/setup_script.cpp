#include "setup/setup_script.h"

void ParseSetupScript() {}
