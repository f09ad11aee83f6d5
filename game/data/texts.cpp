// The readme and the configuration file of the sample game.
#include "game/data/game_data.h"

#include <stdio.h>

void MakeReadme(Bytes *out)
{
    AppendText(out,
               "Rarivur Ivad Oraz - playable demo\r\n"
               "=================================\r\n"
               "\r\n"
               "Thank you for trying the demo of Rarivur Ivad Oraz. This demo holds the\r\n"
               "first six levels of the full game: The Gate, Old Quarry, Drowned Hall,\r\n"
               "Ember Keep, The Long Stair and Oraz itself.\r\n"
               "\r\n"
               "Starting the game\r\n"
               "-----------------\r\n"
               "Start KESTDEMO.EXE from the folder you installed it to, or choose PLAY in\r\n"
               "the setup program. Press Escape at any time to leave the demo.\r\n"
               "\r\n"
               "Controls\r\n"
               "--------\r\n"
               "  Arrow keys      move\r\n"
               "  Space           jump\r\n"
               "  Ctrl            fire\r\n"
               "  Alt             use a door or a switch\r\n"
               "  F2              save the game\r\n"
               "  F3              load a saved game\r\n"
               "  Escape          leave the demo\r\n"
               "\r\n"
               "Configuration\r\n"
               "-------------\r\n"
               "The setup program's Configure page switches the use of DirectSound,\r\n"
               "DirectX and WinDirect. If the game shows a black screen or has no sound,\r\n"
               "switch one of them off and try again. KESTDEMO.INI holds further settings\r\n"
               "(screen mode, volumes, key assignments); edit it with any text editor.\r\n"
               "\r\n"
               "Display driver\r\n"
               "--------------\r\n"
               "Setup places MGLDIB.DRV, version 3.10, in your Windows system folder when\r\n"
               "no newer one is there. It gives the game fast access to the screen.\r\n"
               "\r\n");
    // Level notes, one paragraph per level, as a designer would write them.
    static const char *const hints[] = {
        "Look for the switch behind the left waterfall; it opens the gate early.",
        "The quarry carts can be ridden. Jump off before the end of the rails.",
        "Swim down through the grating in the second hall to find the gold key.",
        "Fire spirits cannot cross water. Lead them to the moat and slip past.",
        "Every tenth step of the stair hides a ledge with a bonus crystal.",
        "The last guardian is weak while its lantern is out. Shoot the lantern."};
    for (int level = 0; level < 6; level++) {
        char line[160];
        snprintf(line, sizeof line, "Level %d hint: %s\r\n", level + 1, hints[level]);
        AppendText(out, line);
    }
    AppendText(out,
               "\r\n"
               "Known problems\r\n"
               "--------------\r\n"
               "- On some display cards the palette flickers when the game starts.\r\n"
               "  Switch WinDirect off on the Configure page.\r\n"
               "- Music may stutter on machines with less than 8 MB of memory.\r\n"
               "\r\n"
               "Removing the demo\r\n"
               "-----------------\r\n"
               "Run the setup program again and choose Un-Install.\r\n"
               "\r\n"
               "Copyright (c) Brevald. All rights reserved.\r\n");
}

void MakeConfiguration(Bytes *out)
{
    AppendText(out,
               "; Rarivur Ivad Oraz demo settings\r\n"
               "[Display]\r\n"
               "Width=640\r\n"
               "Height=480\r\n"
               "Colours=256\r\n"
               "FullScreen=1\r\n"
               "Gamma=100\r\n"
               "\r\n"
               "[Sound]\r\n"
               "Effects=1\r\n"
               "Music=1\r\n"
               "EffectsVolume=80\r\n"
               "MusicVolume=64\r\n"
               "MixRate=22050\r\n"
               "\r\n"
               "[Keys]\r\n"
               "Left=37\r\n"
               "Up=38\r\n"
               "Right=39\r\n"
               "Down=40\r\n"
               "Jump=32\r\n"
               "Fire=17\r\n"
               "Use=18\r\n"
               "\r\n"
               "[Game]\r\n"
               "Skill=2\r\n"
               "FirstLevel=1\r\n"
               "LastLevel=6\r\n"
               "ShowIntro=1\r\n");
}
