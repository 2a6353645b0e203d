// Talking to the loopback demo server that CTest starts for the tests (tools/demo_server.py).
#pragma once
#include <string>
#include <vector>

namespace trr::test {

// Base address of the demo server, from TRRADIO_TEST_SERVER (for example http://127.0.0.1:18080).
std::string TestServerUrl();

// GET of a control path such as "/__control/reset"; returns the body (empty on failure).
std::string ServerControl(const std::string& pathAndQuery);

// Forgets faults, fixed bodies and the request log.
void ServerReset();

// Requests the server has served since the last reset, one "path?query" per entry, in arrival order.
std::vector<std::string> ServerRequestLog();

// How the server answers `path` from now on: "fail" (connection closed at once), "error" (HTTP 500),
// "hang" (accepted, no answer for a long time), "slow" (answer after `delaySeconds`), "normal". Hostile
// deliveries of a good body: "endless" (text without end), "cut" (length announced, half sent, closed),
// "cutnolength" (no length, half sent, clean close), "nolength" (no length, all sent, clean close), "chunked",
// "chunkedcut" (chunked, closed before the last chunk), "html" (HTTP 200 with a login page), "scrambled" (the
// same length, other bytes), "drip" (at `delaySeconds` taken as bytes per second), "trickle" (the status line,
// then one header byte every half second for `delaySeconds`, 60 when 0, or until a reset; then closed).
// With `count` of 0 or more, only that many requests of `path` meet the fault; later ones are answered normally.
void ServerSetFault(const std::string& path, const std::string& mode, double delaySeconds = 0, int count = -1);

// Answers `path` with a 302 redirect to `target` from now on.
void ServerSetRedirect(const std::string& path, const std::string& target);

// Serves a generated channel directory from now until the next reset: `stations` stations over `groups`
// groups, the group list naming each group `repeat` times, each line padded by `pad` bytes.
void ServerGenerateDirectory(int stations, int groups, int repeat = 1, int pad = 0);

// A fixed body for `path` (bytes given as text; passed percent-encoded).
void ServerSetBody(const std::string& path, const std::string& body);

// The title every ICY stream of the demo server sends from now on, until the next reset: `gbkText` sent in
// `encoding` (a Python codec name: "utf-8", "gbk", "latin-1"; a character it cannot hold is sent as '?').
void ServerSetStreamTitle(const std::string& gbkText, const char* encoding);

// Percent-encodes every byte outside [A-Za-z0-9-_.~].
std::string PercentEncode(const std::string& bytes);

}  // namespace trr::test
