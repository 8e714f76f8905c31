// The eight node pictures of the folder tree, in ImageList1 order. Each row
// is one line of pixels; the letters are the palette of forms::ImageList
// (0 black, 1 maroon, 2 green, 3 olive, 4 navy, 5 purple, 6 teal, 7 silver,
// 8 grey, 9 red, A lime, B yellow, C blue, D fuchsia, E aqua, F white) and
// '.' is transparent.
#include "ui/UnitTree.h"

namespace {

// 0: a mailbox on a short post, seen from the side, its red flag raised.
const char *const Mailbox[16] = {
    "................",
    "...........999..",
    "...........999..",
    "...00000000900..",
    "..0777777777970.",
    ".07888888888980.",
    ".07888888888980.",
    ".07888888888880.",
    ".07888888888880.",
    ".07888888888880.",
    ".00000000000000.",
    "......0780......",
    "......0780......",
    "......0780......",
    "....00000000....",
    "................",
};

// 1: a closed file folder with a tab.
const char *const Folder[16] = {
    "................",
    "................",
    "................",
    ".88888..........",
    "8BBBBB8.........",
    "8BBBBBB88888888.",
    "8FFFFFFFFFFFFFF8",
    "8FBBBBBBBBBBBBB8",
    "8FBBBBBBBBBBBBB8",
    "8FBBBBBBBBBBBBB8",
    "8FBBBBBBBBBBBBB8",
    "8FBBBBBBBBBBBBB8",
    "8FBBBBBBBBBBBBB8",
    "8B33333333333338",
    "8888888888888888",
    "................",
};

// 2: a flat tray in perspective (received mail).
const char *const Inbox[16] = {
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
    "......FFFFFFFFFF",
    ".....FEEEEEEEEE6",
    "....FEEEEEEEEE66",
    "...FEEEEEEEEE666",
    "..FEEEEEEEEE666.",
    ".FEEEEEEEEE666..",
    ".E6E6E6E6E666...",
    ".66666666666....",
    ".6666666666.....",
    "................",
};

// 3: the tray in green (mail to send).
const char *const Outbox[16] = {
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
    "......FFFFFFFFFF",
    ".....FAAAAAAAAA2",
    "....FAAAAAAAAA22",
    "...FAAAAAAAAA222",
    "..FAAAAAAAAA222.",
    ".FAAAAAAAAA222..",
    ".A2A2A2A2A222...",
    ".22222222222....",
    ".2222222222.....",
    "................",
};

// 4: the green tray with a pencil lying on it (drafts).
const char *const Draft[16] = {
    ".............0..",
    "............0F0.",
    "...........0FE60",
    "..........0FE60.",
    ".........0FE60..",
    "........0FE60...",
    "......FF0F60FFFF",
    ".....FAA000AAAA2",
    "....FAAAAAAAAA22",
    "...FAAAAAAAAA222",
    "..FAAAAAAAAA222.",
    ".FAAAAAAAAA222..",
    ".A2A2A2A2A222...",
    ".22222222222....",
    ".2222222222.....",
    "................",
};

// 5: the green tray with a round stamp on it (sent mail).
const char *const Sent[16] = {
    "................",
    "....444.........",
    "..44FFF44.......",
    "..4FF4FF4.......",
    ".444444444......",
    ".4FFFFFFF4......",
    ".444444444FFFFFF",
    "..4FF4FF4AAAAAA2",
    "..44FFF44AAAAA22",
    "...F444AAAAAA222",
    "..FAAAAAAAAA222.",
    ".FAAAAAAAAA222..",
    ".A2A2A2A2A222...",
    ".22222222222....",
    ".2222222222.....",
    "................",
};

// 6: the green tray with a clock face on it (reminders).
const char *const Reminder[16] = {
    "..........000...",
    "........00FFF00.",
    "........0FF0FF0.",
    ".......0FFF0FFF0",
    ".......0FFF000F0",
    ".......0FFFFFFF0",
    "......FF0FFFFF0F",
    ".....FAA00FFF002",
    "....FAAAAA000A22",
    "...FAAAAAAAAA222",
    "..FAAAAAAAAA222.",
    ".FAAAAAAAAA222..",
    ".A2A2A2A2A222...",
    ".22222222222....",
    ".2222222222.....",
    "................",
};

// 7: a waste bin with a lid and a green mark on its front.
const char *const Trash[16] = {
    "................",
    "......0000......",
    "..000000000000..",
    ".07777777777770.",
    ".00000000000000.",
    "..078888888870..",
    "..078888888870..",
    "..07888AA88870..",
    "..0788A88A8870..",
    "..078AAAAAA870..",
    "..078888888870..",
    "..078888888870..",
    "..078888888870..",
    "..078888888870..",
    "...0000000000...",
    "................",
};

} // namespace

const char *const *const FolderIcons[8] = {Mailbox, Folder, Inbox, Outbox, Draft, Sent, Reminder, Trash};
