// The folder tree builder: scans the host's data folder into the tree of
// FormSelect, orders it, finds a node by path and frees it again.
//
// Layout on disk: every directory "*.mb" directly inside the data folder is
// a mailbox; every directory below a mailbox, to any depth, is a folder,
// except "#Tml" and "#Attach". The search asks for directories: entries
// with the hidden, system or volume-label attribute are passed over (with
// their subtrees), and so are plain files.
//
// Directory links (symbolic links and junctions) below a mailbox are listed
// but not entered: a link back to an ancestor would otherwise nest the tree until
// the paths outgrow the directory search, and two such links make the scan
// grow exponentially on the way. A mailbox that is itself a link is entered
// (a mailbox kept on another disk); that cannot loop, as no link below it
// is followed.
#pragma once

#include "ui/UnitTree.h"

#include <string>

void AddMailBoxes(const std::string &folder);
void AddSubFolders(TTreeNode *parent, const std::string &parentPath);
void SortFolderTree();
TTreeNode *FindFolderNode(const std::string &path);
void ClearFolderTree();
