"""The community radio directory's JSON API as the demo server answers it: the server list, station listings by
votes, country, tag or name, and the stream look-up of one station. Its stations come from a small set of its own, or
from a generated set that tests ask for (many stations, or names made to break a careless reader)."""
import json
import urllib.parse

# name, country code, tags, votes
DEMO_STATIONS = [
    ("中国之声", "CN", "news,talk", 950),
    ("经济之声", "CN", "news", 720),
    ("音乐之声", "CN", "pop", 880),
    ("经典音乐广播", "CN", "classical", 610),
    ("北京交通广播", "CN", "talk", 540),
    ("台北爱乐电台", "TW", "classical", 430),
    ("飞碟电台 UFO", "TW", "pop,talk", 520),
    ("香港电台第一台", "HK", "news,talk", 700),
    ("香港电台第四台", "HK", "classical", 390),
    ("澳门电台", "MO", "news", 260),
    ("Symphony 92.4", "SG", "classical", 410),
    ("Kiss92 FM", "SG", "pop", 330),
    ("MY FM 马来西亚", "MY", "pop", 300),
    ("Jazz FM", "GB", "jazz", 820),
    ("Classic Rock Radio", "US", "rock", 860),
    ("ジャズ東京", "JP", "jazz", 470),
    ("Lo-Fi Beats 📻", "DE", "pop", 650),
    ("راديو القاهرة", "EG", "talk,news", 280),
]

# Names that a reader keeping its list in a separated text would break on, and names GBK cannot hold.
HOSTILE_NAMES = [
    "a|b|c;d", "<tvdata>x|1|y</tvdata>", "</type>;<type>", "line\r\nbreak", "tab\there", "x" * 300,
    "📻🎵🎶", "راديو", "", "   ", "\u0000\u0001", "名称|电台;\r\n<type>", "Ünïcödé Radio", "☃ snow",
]


def station_uuid(index):
    return "9617a958-0601-11e8-ae97-%012d" % index


class Community:
    def __init__(self):
        self.use_demo_set()

    def use_demo_set(self):
        self.stations = [self._station(i, *entry) for i, entry in enumerate(DEMO_STATIONS)]

    def generate(self, count, hostile=False):
        """`count` stations spread over the six regions and six tags; hostile names first when asked."""
        regions = ["CN", "TW", "HK", "MO", "SG", "MY", "JP", "US"]
        tags = ["pop", "news", "rock", "classical", "jazz", "talk"]
        stations = []
        for i in range(count):
            name = HOSTILE_NAMES[i] if hostile and i < len(HOSTILE_NAMES) else "电台 %d 号" % i
            stations.append(self._station(i, name, regions[i % len(regions)], tags[i % len(tags)], count - i))
        self.stations = stations

    def _station(self, index, name, country, tags, votes):
        uuid = station_uuid(index)
        return {"changeuuid": uuid, "stationuuid": uuid, "name": name, "countrycode": country,
                "tags": tags, "votes": votes, "lastcheckok": 1, "codec": "MP3", "bitrate": 128,
                # Both listing addresses name the station, the look-up answers a third one: a test can tell
                # which one the player used.
                "url": "{base}/media/%s-url.wav" % uuid,
                "url_resolved": "{base}/media/%s-resolved.wav" % uuid}

    def _with_base(self, station, base):
        copy = dict(station)
        copy["url"] = station["url"].replace("{base}", base)
        copy["url_resolved"] = station["url_resolved"].replace("{base}", base)
        return copy

    def answer(self, path, query, base, host):
        """The body for a /json/ path, or None when the path is not one of the API's."""
        limit = int(query.get("limit", ["100000"])[0] or 100000)
        if path == "/json/servers":
            return json.dumps([{"ip": "127.0.0.1", "name": host}]).encode("utf-8")
        if path.startswith("/json/stations/topvote/"):
            count = int(path.rsplit("/", 1)[-1] or 0)
            chosen = sorted(self.stations, key=lambda s: -s["votes"])[:min(count, limit)]
        elif path == "/json/stations/search":
            chosen = self.stations
            if "countrycode" in query:
                chosen = [s for s in chosen if s["countrycode"] == query["countrycode"][0]]
            if "tag" in query:
                chosen = [s for s in chosen if query["tag"][0] in s["tags"].split(",")]
            if "name" in query:
                # As the directory does: the name anywhere in a station's name, letter case aside. The server
                # reads queries as Latin-1; the name is UTF-8.
                needle = query["name"][0].encode("latin-1").decode("utf-8", "replace").casefold()
                chosen = [s for s in chosen if needle in s["name"].casefold()]
            chosen = sorted(chosen, key=lambda s: -s["votes"])[:limit]
        elif path.startswith("/json/url/"):
            uuid = urllib.parse.unquote(path[len("/json/url/"):])
            for s in self.stations:
                if s["stationuuid"] == uuid:
                    return json.dumps({"ok": True, "message": "retrieved station url", "stationuuid": uuid,
                                       "name": s["name"], "url": "%s/media/%s-lookup.wav" % (base, uuid)},
                                      ensure_ascii=False).encode("utf-8")
            return json.dumps({"ok": False, "message": "did not find station", "url": ""}).encode("utf-8")
        else:
            return None
        return json.dumps([self._with_base(s, base) for s in chosen], ensure_ascii=False).encode("utf-8")


def make_community_cache(rows, groups=13, fetched_at=None):
    """A Community.Dat of `rows` stations over `groups` groups, as the player writes it (for benchmarks)."""
    import time
    fetched_at = int(time.time()) if fetched_at is None else fetched_at
    lines = ["TRRADIO COMMUNITY 1", "fetched\t%d" % fetched_at, "server\thttp://127.0.0.1:1"]
    per_group = [rows // groups + (1 if g < rows % groups else 0) for g in range(groups)]
    index = 0
    for g, count in enumerate(per_group):
        lines.append("group\t分组%d" % g)
        for _ in range(count):
            uuid = station_uuid(index)
            lines.append("station\t%s\thttp://127.0.0.1:1/media/%s.wav\t电台 %d 号" % (uuid, uuid, index))
            index += 1
    lines.append("end\t%d\t%d" % (groups, rows))
    return ("\r\n".join(lines) + "\r\n").encode("gbk")
