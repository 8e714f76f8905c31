// The folder tree builder: scans the host's data folder into the tree of
// FormSelect, orders it, finds a node by path and frees it again.
//
// Layout on disk: every directory "*.mb" directly inside the data folder is
// a mailbox; every directory below a mailbox, to any depth, is a folder,
// except "#Tml" and "#Attach". Hidden and system directories are skipped by
// the directory search itself, plain files by their attributes.
//
// Directory links (reparse points) are listed as folders but not entered:
// a link back to an ancestor would otherwise nest the tree until the paths
// outgrow the directory search.
#pragma once

#include "ui/UnitTree.h"

#include <string>

void AddMailBoxes(const std::string &folder);
void AddSubFolders(TTreeNode *parent, const std::string &parentPath);
void SortFolderTree();
TTreeNode *FindFolderNode(const std::string &path);
void ClearFolderTree();
