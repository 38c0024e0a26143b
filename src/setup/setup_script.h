// The setup script carried by the member "$".
#pragma once

// The first reading, during the scan: titles, default directory, check boxes and command.
void ParseSetupScript();
