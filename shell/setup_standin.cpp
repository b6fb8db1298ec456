// Until the setup dialog exists the show starts in the dialog's default choice: 1024x768,
// windowed, 4:3.
#include "shell/setup_choice.h"

SetupChoice runSetupDialog()
{
    SetupChoice choice;
    choice.play = true;
    return choice;
}
