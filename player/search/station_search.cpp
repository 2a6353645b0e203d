#include "player/search/station_search.h"

#include <algorithm>
#include <utility>

#include "player/list/held_drawing.h"

namespace trr {

StationSearch::StationSearch(Setup setup) : setup_(std::move(setup)) {}

void StationSearch::OnListed(std::function<std::vector<ChannelGroup>()> stations, StationSource source,
                             CommunitySource* community) {
  source_ = source;
  community_ = community;
  if (!community_) remote_.clear();
  // The list was filled anew: the view saved before the search named entries that are gone.
  savedTop_ = savedSelection_ = 0;
  savedTopIndex_ = 0;
  indexJob_ = std::make_unique<WindowJob<std::shared_ptr<const StationIndex>>>(setup_.window, kIndexMessage);
  indexJob_->Start([stations = std::move(stations)] { return std::make_shared<const StationIndex>(stations()); });
}

void StationSearch::OnIndexBuilt() {
  if (!indexJob_) return;
  std::optional<std::shared_ptr<const StationIndex>> built = indexJob_->Take();
  // A job that failed (no memory) leaves the search without an index rather than with a stale one.
  if (!built) return;
  index_ = std::move(*built);
  matches_.clear();
  matchedText_.clear();
  if (text_.empty()) return;
  RunLocal();
  ShowResults();
}

void StationSearch::SetText(const std::string& typed) {
  std::string text = CleanQueryText(typed);
  if (text == text_) return;
  if (text.empty()) {
    text_.clear();
    local_.clear();
    remote_.clear();
    matches_.clear();
    matchedText_.clear();
    if (setup_.setRemoteDelay) setup_.setRemoteDelay(0);
    HeldDrawing held(setup_.list->listWindow());
    setup_.top->Clear(TopSlot::SearchResults);
    RestoreView();
    return;
  }
  if (text_.empty()) SaveView();
  text_ = std::move(text);
  // The last answer belongs to another text.
  remote_.clear();
  RunLocal();
  ShowResults();
  if (setup_.setRemoteDelay) setup_.setRemoteDelay(community_ ? kRemoteDelayMs : 0);
}

void StationSearch::SearchRemoteNow() {
  if (setup_.setRemoteDelay) setup_.setRemoteDelay(0);
  AskRemote();
}

void StationSearch::OnRemoteDelay() {
  if (setup_.setRemoteDelay) setup_.setRemoteDelay(0);
  AskRemote();
}

void StationSearch::AskRemote() {
  if (community_ && !text_.empty()) community_->Search(text_);
}

void StationSearch::OnRemoteAnswer() {
  std::string text;
  std::vector<CommunityRow> rows;
  if (!community_ || !community_->TakeSearchAnswer(text, rows)) return;
  // An answer to an earlier text, or one that came after the search ended, is not shown.
  if (text != text_ || text_.empty()) return;
  remote_.clear();
  for (CommunityRow& row : rows) {
    const bool listed = std::any_of(local_.begin(), local_.end(),
                                    [&](const TopStation& local) { return local.station.id == row.uuid; });
    if (!listed)
      remote_.push_back(TopStation{{std::move(row.name), std::move(row.uuid)}, StationSource::Community,
                                   std::move(row.address)});
  }
  ShowResults();
}

ItemHandle StationSearch::FirstResult() const {
  return setup_.top->Row(TopSlot::SearchResults, 0);
}

void StationSearch::RunLocal() {
  local_.clear();
  if (!index_) return;
  const SearchQuery query = MakeSearchQuery(text_);
  // Typing on narrows the last matches; anything else searches every station.
  const bool narrows = !matchedText_.empty() && query.folded.compare(0, matchedText_.size(), matchedText_) == 0;
  std::vector<uint32_t> matches;
  const std::vector<uint32_t> found =
      index_->Search(query, kMaxLocalResults, narrows ? &matches_ : nullptr, &matches);
  matches_ = std::move(matches);
  matchedText_ = query.folded;
  local_.reserve(found.size());
  for (uint32_t station : found) {
    TopStation row{{std::string(index_->Name(station)), std::string(index_->Id(station))}, source_, {}};
    if (source_ == StationSource::Community && community_)
      row.listingAddress = community_->ListingAddress(row.station.id);
    local_.push_back(std::move(row));
  }
}

void StationSearch::ShowResults() {
  HeldDrawing held(setup_.list->listWindow());
  std::vector<TopStation> rows = local_;
  rows.insert(rows.end(), remote_.begin(), remote_.end());
  setup_.top->Set(TopSlot::SearchResults, std::move(rows));
  // The results' header at the top of the view.
  const int header = PositionOf(setup_.top->Group(TopSlot::SearchResults));
  if (header >= 0) SendMessageA(setup_.list->listWindow(), LB_SETTOPINDEX, header, 0);
}

void StationSearch::SaveView() {
  HWND listBox = setup_.list->listWindow();
  savedTopIndex_ = listBox ? static_cast<int>(SendMessageA(listBox, LB_GETTOPINDEX, 0, 0)) : 0;
  if (savedTopIndex_ < 0) savedTopIndex_ = 0;
  savedTop_ = listBox ? setup_.list->GetHandleAt(savedTopIndex_) : 0;
  if (savedTop_ < 0) savedTop_ = 0;
  RowData selected;
  savedSelection_ = setup_.list->GetSelectedItemInfo(selected) ? selected.handle : 0;
}

void StationSearch::RestoreView() {
  HWND listBox = setup_.list->listWindow();
  if (!listBox) return;
  HeldDrawing held(listBox);
  RowData selected;
  const ItemHandle current = setup_.list->GetSelectedItemInfo(selected) ? selected.handle : 0;
  if (savedSelection_ && current != savedSelection_) setup_.list->SelectItem(savedSelection_);
  const int top = savedTop_ ? PositionOf(savedTop_) : -1;
  SendMessageA(listBox, LB_SETTOPINDEX, top >= 0 ? top : savedTopIndex_, 0);
  savedTop_ = savedSelection_ = 0;
  savedTopIndex_ = 0;
}

int StationSearch::PositionOf(ItemHandle handle) const {
  HWND listBox = setup_.list->listWindow();
  if (!listBox || handle <= 0) return -1;
  const int count = static_cast<int>(SendMessageA(listBox, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i)
    if (setup_.list->GetHandleAt(i) == handle) return i;
  return -1;
}

}  // namespace trr
