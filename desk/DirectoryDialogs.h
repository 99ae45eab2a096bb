// The directory viewer and the tariff request dialog, and the texts they build
// from the client's directories.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "desk/DeskDialog.h"
#include "desk/ListView.h"
#include "protocol/KestoRecords.h"

// A taxi service's row: "FullName (ShortName) LeaderName Comment - [city]...";
// a city missing from `cities` shows as "[id=<n>]".
std::string TaxiServiceRowText(const KestoDirectoryItem& service, const std::map<std::int32_t, std::string>& cities);

// A taxi service's entry in the tariff dialog: "FullName (ShortName) ".
std::string TaxiServiceChoiceText(const KestoDirectoryItem& service);

// Refills `hwndList` with directory `Dir`: 1 carrier types, 2 order states,
// 3 cities, 4 taxi services; any other number leaves it empty.
void RefreshDir(int Dir, KestoListView& hwndList);

class DirectoryDialog : public DeskDialogLogic {
 public:
  bool Start(DeskDialog& dialog) override;
  bool Command(DeskDialog& dialog, int controlId) override;
};

class TariffDialog : public DeskDialogLogic {
 public:
  bool Start(DeskDialog& dialog) override;
  bool Command(DeskDialog& dialog, int controlId) override;
};
