// Until the install sequence and the game launch land, their captions do
// nothing.
#include "install/game_launch.h"
#include "install/install_sequence.h"

int InstallDemo(void)
{
    return 0;
}

void LaunchGame(void)
{
}
