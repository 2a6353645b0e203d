// Asking the community directory for stations by name, for the station search: the request, its answer as
// station rows, and the worker that runs the newest request. Requests go through the community requests'
// function (CommunityGet: CommunityRequests() in the player, https only) and limits, and the answer through the
// listing parser, the station address rule and the name conversion of the directory's groups, as a listing's.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/job_worker.h"
#include "player/community/community_directory.h"
#include "player/community/community_fetch.h"

namespace trr {

// Most stations one name search asks for.
constexpr size_t kCommunitySearchLimit = 100;

// The path and query of the name search for the GBK text `name`: "/json/stations/search?name=" with the text's
// UTF-8 percent-encoded, then "&hidebroken=true&order=votes&reverse=true&limit=100". Empty for an empty text.
std::string CommunitySearchPath(std::string_view name);

// Runs on a worker: asks the API server for stations named like `name`, within kCommunityLimits, of
// CommunityServersToAsk in turn. True when one answered with a listing; `rows`
// then holds its stations in reply order, named as the groups' rows are, and only those with an address that
// IsPublicStationAddress accepts, as a listing keeps them.
bool SearchCommunityDirectory(const CommunityGet& get, const std::string& server, std::string_view name,
                              std::vector<CommunityRow>& rows);

// The name searches of the window's thread, run one at a time on a worker of their own; a request replaces one
// that has not begun, and only the newest request's answer is kept.
class CommunityNameSearch {
 public:
  // Runs on the worker: the stations named like `name`, asked of `server` (a base address or empty); false
  // when there was no answer.
  using Search =
      std::function<bool(const std::string& name, const std::string& server, std::vector<CommunityRow>& rows)>;

  // Each kept answer posts `message` (wParam 0, lParam 0) to `window`.
  CommunityNameSearch(HWND window, UINT message, Search search);
  CommunityNameSearch(const CommunityNameSearch&) = delete;
  CommunityNameSearch& operator=(const CommunityNameSearch&) = delete;
  // The worker is not waited for; an answer still to come is dropped.
  ~CommunityNameSearch();

  // Hands the search for `name` (asked of `server`) to the worker and returns at once; false when the worker
  // could not take it.
  bool Request(std::string name, std::string server);
  // After the message: the text and the stations of the newest request's answer; false when none is waiting
  // (the request failed, or a newer one overtook it).
  bool TakeAnswer(std::string& name, std::vector<CommunityRow>& rows);

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;  // also held by the jobs, which may outlive this object
  JobWorker worker_{JobWorker::Pending::NewestWins};
};

}  // namespace trr
