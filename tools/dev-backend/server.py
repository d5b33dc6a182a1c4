#!/usr/bin/env python3
"""Local development backend for Corvanta Native Win.

Answers every request the desktop client sends with plausible data held in memory, so the
program can be used and shown without the platform. Loopback only; standard library only.
HTTPS by default, with the localhost certificate that the project's scripts issue under build/.

    python3 tools/dev-backend/server.py [--port N] [--host 127.0.0.1] [--cert PEM --key PEM]
    python3 tools/dev-backend/server.py --http [--port N]
"""

import argparse
import base64
import hashlib
import hmac
import json
import os
import re
import secrets
import signal
import socketserver
import ssl
import sys
import threading
from datetime import datetime, timedelta, timezone
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, unquote, urlsplit

DEFAULT_PORT = 8787
LOOPBACK = "127.0.0.1"
# The certificate names localhost: a TLS client checks it against the host name it dialled.
TLS_HOST = "localhost"
DEV_TLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "build", "dev-tls")
HANDSHAKE_TIMEOUT = 15
MAX_BODY = 64 * 1024
MAX_ROOM = 128
MEDIA_URL = "wss://livekit.corvanta.test"
HEX_COLOR = re.compile(r"#[0-9a-fA-F]{6}")

USERS = [
    {"id": 1, "username": "demo", "email": "demo@corvanta.test", "password": "corvanta-demo",
     "displayName": "Demo Creator", "role": "creator", "avatarColor": "#00a3ff",
     "bio": "Testkonto fuer die lokale Entwicklung.", "balance": 1250},
    {"id": 2, "username": "lena", "email": "lena@corvanta.test", "password": "lena-pass",
     "displayName": "Lena Nord", "role": "member", "avatarColor": "#ff7a59",
     "bio": "Moderiert die Nordlicht Runde.", "balance": 380},
]

# Titles with the level that unlocks them, lowest first.
COMMUNITIES = [
    {"id": 1, "name": "Corvanta Lounge", "members": 4210,
     "description": "Treffpunkt fuer alle Creator.",
     "titles": [("Gast", 1), ("Stammgast", 2), ("Lounge-Legende", 8)]},
    {"id": 6, "name": "Nordlicht Kreativ", "members": 1280,
     "description": "Musik, Kunst und Livestreams aus dem Norden.",
     "titles": [("Neuling", 1), ("Entdecker", 2), ("Held", 3), ("Nordlicht", 5), ("Legende", 10)]},
    {"id": 9, "name": "Retro Spieleabend", "members": 655,
     "description": "Klassiker, Speedruns und gemuetliche Runden.",
     "titles": [("Spieler", 1), ("Highscore-Jaeger", 4)]},
]

# (user id, community id): level, xp, current title
PROGRESS = {(1, 6): (3, 2350, "Entdecker"), (1, 1): (2, 1100, "Stammgast"),
            (2, 6): (5, 4720, "Nordlicht"), (2, 9): (4, 3300, "Highscore-Jaeger")}

CLANS = [
    {"id": 42, "communityId": 6, "name": "Nordwind", "description": "Abendliche Jam-Sessions.",
     "avatarColor": "#2e8b57", "ownerId": 2, "members": [2]},
    {"id": 43, "communityId": 6, "name": "Polarlicht Crew", "description": "Visuals und Licht.",
     "avatarColor": "#00a3ff", "ownerId": 1, "members": [1]},
    {"id": 57, "communityId": 9, "name": "Pixelpiraten", "description": "Speedruns am Sonntag.",
     "avatarColor": "#ffb000", "ownerId": 2, "members": [2]},
]

GIFTS = [("rose", "Rose", 5), ("kaffee", "Kaffee", 20), ("nordlicht", "Nordlicht", 150),
         ("rakete", "Rakete", 500), ("krone", "Krone", 1000)]


class ApiError(Exception):
    def __init__(self, status, code, message, headers=None):
        super().__init__(message)
        self.status, self.code, self.message = status, code, message
        self.headers = headers or {}


def bad_request(message):
    return ApiError(400, "bad_request", message)


def json_object(body, empty_ok=False):
    """The request body as a JSON object; anything else is the client's fault."""
    if not body and empty_ok:
        return {}
    try:
        value = json.loads(body.decode("utf-8"))
    except (UnicodeDecodeError, ValueError, RecursionError):
        raise bad_request("Body ist kein gueltiges JSON.")
    if not isinstance(value, dict):
        raise bad_request("Body muss ein JSON-Objekt sein.")
    return value


def text_field(obj, key, required=True):
    value = obj.get(key, None if required else "")
    if not isinstance(value, str) or (required and not value.strip()):
        raise bad_request("Feld '%s' fehlt oder ist kein Text." % key)
    return value


def b64url(data):
    return base64.urlsafe_b64encode(data).rstrip(b"=").decode("ascii")


class App:
    """All backend state of one server; every request runs under its lock."""

    ROUTES = [
        ("POST", r"/api/auth/login", "login", False),
        ("GET", r"/api/auth/me", "me", True),
        ("GET", r"/api/app/bootstrap", "bootstrap", True),
        ("GET", r"/api/communities", "list_communities", True),
        ("GET", r"/api/communities/([^/]+)/progression", "progression", True),
        ("POST", r"/api/communities/([^/]+)/progression/title", "set_title", True),
        ("POST", r"/api/communities/([^/]+)/clans", "create_clan", True),
        ("POST", r"/api/community-clans/([^/]+)/join", "join_clan", True),
        ("GET", r"/api/rooms/social", "social_rooms", False),
        ("GET", r"/api/streams/live", "live_streams", True),
        ("GET", r"/api/dm/conversations", "conversations", True),
        ("GET", r"/api/restream-targets", "restream_targets", True),
        ("GET", r"/api/me/wallet", "wallet", True),
        ("GET", r"/api/stream/gift-catalog", "gift_catalog", True),
        ("GET", r"/api/livekit/host-token", "host_token", True),
    ]

    def __init__(self):
        self.lock = threading.Lock()
        self.started = datetime.now(timezone.utc).replace(microsecond=0)
        self.users = {u["id"]: dict(u) for u in USERS}
        self.tokens = {}
        self.communities = {str(c["id"]): c for c in COMMUNITIES}
        self.progress = {k: {"level": v[0], "xp": v[1], "title": v[2]} for k, v in PROGRESS.items()}
        self.clans = {str(c["id"]): dict(c, members=list(c["members"])) for c in CLANS}
        self.next_clan = 100
        self.media_secret = secrets.token_bytes(32)
        self.restream = {uid: [
            {"id": uid * 10 + 1, "platform": "YouTube", "name": "Hauptkanal",
             "ingestUrl": "rtmp://a.rtmp.youtube.com/live2", "enabled": True,
             "streamKey": "yt-" + secrets.token_hex(8), "apiSecret": secrets.token_hex(16)},
            {"id": uid * 10 + 2, "platform": "Twitch", "name": "Zweitkanal",
             "ingestUrl": "rtmp://live.twitch.tv/app", "enabled": False,
             "streamKey": "live_" + secrets.token_hex(10), "apiSecret": secrets.token_hex(16)},
        ] for uid in self.users}
        self.routes = [(m, re.compile(p), getattr(self, n), auth) for m, p, n, auth in self.ROUTES]

    # -- plumbing ---------------------------------------------------------------------------

    def dispatch(self, method, target, authorization, body):
        parts = urlsplit(target)
        matches = [(r, m) for r in self.routes for m in [r[1].fullmatch(parts.path)] if m]
        if not matches:
            raise ApiError(404, "not_found", "Unbekannter Pfad.")
        for (route_method, _, handler, auth), match in matches:
            if route_method == method:
                break
        else:
            allow = ", ".join(sorted({r[0] for r, _ in matches}))
            raise ApiError(405, "method_not_allowed", "Methode nicht erlaubt.", {"Allow": allow})
        query = parse_qs(parts.query, keep_blank_values=True)
        args = [unquote(g) for g in match.groups()]
        with self.lock:
            user = self.user_for(authorization)
            if auth and user is None:
                raise ApiError(401, "unauthorized", "Anmeldung erforderlich.",
                               {"WWW-Authenticate": "Bearer"})
            return handler(user, query, body, *args)

    def user_for(self, authorization):
        scheme, _, token = (authorization or "").strip().partition(" ")
        if scheme.lower() != "bearer" or not token.strip():
            return None
        uid = self.tokens.get(token.strip())
        return self.users.get(uid)

    def ago(self, minutes):
        return (self.started - timedelta(minutes=minutes)).isoformat().replace("+00:00", "Z")

    @staticmethod
    def public_user(user):
        keys = ("id", "username", "email", "displayName", "role", "avatarColor", "bio")
        return {k: user[k] for k in keys}

    def community(self, cid):
        community = self.communities.get(cid)
        if community is None:
            raise ApiError(404, "community_not_found", "Community nicht gefunden.")
        return community

    def progress_of(self, user, community):
        key = (user["id"], community["id"])
        if key not in self.progress:
            self.progress[key] = {"level": 1, "xp": 0, "title": community["titles"][0][0]}
        return self.progress[key]

    def clan_view(self, clan, user):
        return {"id": clan["id"], "communityId": clan["communityId"], "name": clan["name"],
                "description": clan["description"], "avatar_color": clan["avatarColor"],
                "owner": self.users[clan["ownerId"]]["username"],
                "memberCount": len(clan["members"]), "member": user["id"] in clan["members"]}

    def progression_view(self, user, community):
        p = self.progress_of(user, community)
        titles = [{"name": n, "requiredLevel": lvl, "unlocked": p["level"] >= lvl}
                  for n, lvl in community["titles"]]
        clans = [self.clan_view(c, user) for c in self.clans.values()
                 if c["communityId"] == community["id"]]
        return {"communityId": community["id"], "community": community["name"],
                "userId": user["id"], "level": p["level"], "xp": p["xp"],
                "nextLevelXp": p["level"] * 1000, "title": p["title"],
                "unlockedTitles": [t["name"] for t in titles if t["unlocked"]],
                "titles": titles, "clans": clans}

    # -- account ----------------------------------------------------------------------------

    def login(self, _user, _query, body):
        creds = json_object(body)
        identifier = text_field(creds, "identifier")
        password = text_field(creds, "password")
        wanted = identifier.strip().lower()
        for user in self.users.values():
            if wanted in (user["username"], user["email"]) and \
                    hmac.compare_digest(password.encode("utf-8"), user["password"].encode("utf-8")):
                token = secrets.token_urlsafe(32)
                self.tokens[token] = user["id"]
                return 200, {"accessToken": token, "tokenType": "Bearer",
                             "user": self.public_user(user)}
        raise ApiError(401, "invalid_credentials", "Username/E-Mail oder Passwort falsch.")

    def me(self, user, _query, _body):
        return 200, {"user": self.public_user(user)}

    def bootstrap(self, user, _query, _body):
        unread = sum(c["unread"] for c in self.conversations(user, None, b"")[1]["conversations"])
        return 200, {"app": "Corvanta", "apiVersion": 2, "user": self.public_user(user),
                     "defaultCommunityId": 6,
                     "communities": [{"id": c["id"], "name": c["name"]}
                                     for c in self.communities.values()],
                     "features": {"liveKit": True, "restream": True, "gifts": True, "dm": True},
                     "wallet": {"balance": user["balance"], "currency": "Credits"},
                     "unreadMessages": unread,
                     "message": "Willkommen zurueck, %s." % user["displayName"]}

    # -- communities ------------------------------------------------------------------------

    def list_communities(self, user, _query, _body):
        items = []
        for c in self.communities.values():
            p = self.progress_of(user, c)
            items.append({"id": c["id"], "name": c["name"], "description": c["description"],
                          "members": c["members"], "level": p["level"], "title": p["title"],
                          "clans": sum(1 for k in self.clans.values()
                                       if k["communityId"] == c["id"])})
        return 200, {"communities": items}

    def progression(self, user, _query, _body, cid):
        return 200, self.progression_view(user, self.community(cid))

    def set_title(self, user, _query, body, cid):
        community = self.community(cid)
        title = text_field(json_object(body), "title")
        view = self.progression_view(user, community)
        if title not in view["unlockedTitles"]:
            raise ApiError(422, "title_locked", "Titel ist nicht freigeschaltet: %s" % title)
        self.progress_of(user, community)["title"] = title
        return 200, {"ok": True, "message": "Titel gesetzt.",
                     "progression": self.progression_view(user, community)}

    def create_clan(self, user, _query, body, cid):
        community = self.community(cid)
        fields = json_object(body)
        name = text_field(fields, "name").strip()
        description = text_field(fields, "description", required=False)
        color = text_field(fields, "avatar_color", required=False) or "#00a3ff"
        if len(name) > 48 or len(description) > 500:
            raise bad_request("Name (48) oder Beschreibung (500) zu lang.")
        if not HEX_COLOR.fullmatch(color):
            raise bad_request("avatar_color muss die Form #rrggbb haben.")
        if any(c["communityId"] == community["id"] and c["name"].lower() == name.lower()
               for c in self.clans.values()):
            raise ApiError(409, "clan_exists", "Clan-Name ist in dieser Community vergeben.")
        clan = {"id": self.next_clan, "communityId": community["id"], "name": name,
                "description": description, "avatarColor": color, "ownerId": user["id"],
                "members": [user["id"]]}
        self.next_clan += 1
        self.clans[str(clan["id"])] = clan
        return 201, {"ok": True, "message": "Clan erstellt.", "clan": self.clan_view(clan, user)}

    def join_clan(self, user, _query, body, clan_id):
        json_object(body, empty_ok=True)
        clan = self.clans.get(clan_id)
        if clan is None:
            raise ApiError(404, "clan_not_found", "Clan nicht gefunden.")
        if user["id"] in clan["members"]:
            raise ApiError(409, "already_member", "Du bist schon Mitglied dieses Clans.")
        clan["members"].append(user["id"])
        return 200, {"ok": True, "message": "Clan beigetreten.", "clan": self.clan_view(clan, user)}

    # -- live, messages, studio, wallet -----------------------------------------------------

    def social_rooms(self, _user, _query, _body):
        return 200, {"rooms": [
            {"id": "lobby", "name": "Lobby", "topic": "Offene Runde fuer alle", "live": True,
             "listeners": 23, "hosts": ["lena"]},
            {"id": "nordlicht-jam", "name": "Nordlicht Jam", "topic": "Musik am Abend",
             "live": True, "listeners": 9, "hosts": ["demo", "lena"]},
            {"id": "feedback", "name": "Feedback Ecke", "topic": "Wuensche und Fehler",
             "live": False, "listeners": 0, "hosts": []},
        ]}

    def live_streams(self, _user, _query, _body):
        return 200, {"streams": [
            {"id": "st-301", "channel": "lena", "title": "Synthesizer am Sonntag",
             "category": "Musik", "viewers": 148, "room": "lena_live", "startedAt": self.ago(42)},
            {"id": "st-302", "channel": "demo", "title": "Studio-Test mit neuen Szenen",
             "category": "Technik", "viewers": 12, "room": "demo_live", "startedAt": self.ago(7)},
        ]}

    def conversations(self, user, _query, _body):
        other = next(u for u in self.users.values() if u["id"] != user["id"])
        return 200, {"conversations": [
            {"id": "dm-1-2", "with": self.public_user(other),
             "lastMessage": "Bis heute Abend im Jam!", "unread": 2 if user["id"] == 1 else 0,
             "updatedAt": self.ago(15)},
            {"id": "dm-team-%d" % user["id"],
             "with": {"id": 0, "username": "corvanta-team", "displayName": "Corvanta Team"},
             "lastMessage": "Willkommen! Dein Konto ist bereit.", "unread": 1,
             "updatedAt": self.ago(60 * 24)},
        ]}

    def restream_targets(self, user, _query, _body):
        return 200, {"targets": self.restream[user["id"]]}

    def wallet(self, user, _query, _body):
        return 200, {"userId": user["id"], "balance": user["balance"], "currency": "Credits",
                     "pending": 0, "transactions": [
                         {"id": "tx-1", "type": "kauf", "amount": 1000, "at": self.ago(60 * 30)},
                         {"id": "tx-2", "type": "geschenk", "amount": -150, "gift": "nordlicht",
                          "at": self.ago(60 * 5)},
                     ]}

    def gift_catalog(self, _user, _query, _body):
        return 200, {"currency": "Credits",
                     "gifts": [{"id": i, "name": n, "price": p} for i, n, p in GIFTS]}

    def host_token(self, user, query, _body):
        room = (query.get("room") or [""])[0]
        if not room:
            raise bad_request("Parameter 'room' fehlt.")
        if len(room.encode("utf-8")) > MAX_ROOM:
            raise bad_request("Room-Name zu lang (hoechstens %d Bytes)." % MAX_ROOM)
        # The identity comes from the token holder, never from the query.
        identity = user["username"]
        expires = int(self.started.timestamp()) + 3600 + secrets.randbelow(60)
        head = b64url(json.dumps({"alg": "HS256", "typ": "JWT"}).encode())
        claims = {"sub": identity, "exp": expires, "jti": secrets.token_hex(8),
                  "video": {"room": room, "roomJoin": True, "canPublish": True}}
        payload = b64url(json.dumps(claims, ensure_ascii=False).encode("utf-8"))
        signed = (head + "." + payload).encode("ascii")
        signature = b64url(hmac.new(self.media_secret, signed, hashlib.sha256).digest())
        return 200, {"token": head + "." + payload + "." + signature, "url": MEDIA_URL,
                     "room": room, "identity": identity, "expiresIn": 3600}


def printable(text):
    return "".join(c if "!" <= c <= "~" else "\\x%02x" % ord(c) for c in text)


def safe_target(target):
    """The request target for the log: the path and the query keys, never a query value."""
    path, _, query = target.partition("#")[0].partition("?")
    keys = [part.partition("=")[0][:32] for part in query.split("&") if part]
    return printable(path[:200] + ("?" + "&".join(keys) if keys else ""))


class Handler(BaseHTTPRequestHandler):
    server_version = "CorvantaDevBackend/1.0"
    timeout = 15  # a stalled client must not hold its thread for ever

    def handle_any(self):
        try:
            body = self.read_body()
            status, payload = self.server.app.dispatch(
                self.command, self.path, self.headers.get("Authorization"), body)
            headers = {}
        except ApiError as e:
            status, headers = e.status, e.headers
            payload = {"error": e.code, "message": e.message}
        except Exception as e:  # answer a fault in a handler instead of dropping the connection
            status, headers = 500, {}
            payload = {"error": "internal", "message": "Interner Fehler: %s" % type(e).__name__}
        self.send_json(status, payload, headers)

    def send_error(self, code, message=None, explain=None):
        # The stock error page echoes the raw request line; answer in JSON like everywhere else.
        self.close_connection = True
        phrase = self.responses.get(code, ("Fehler",))[0]
        self.send_json(code, {"error": "bad_http", "message": phrase}, {"Connection": "close"})

    def send_json(self, status, payload, headers):
        data = json.dumps(payload, ensure_ascii=False).encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", "application/json; charset=utf-8")
        self.send_header("Content-Length", str(len(data)))
        self.send_header("Cache-Control", "no-store")
        for key, value in headers.items():
            self.send_header(key, value)
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(data)

    def version_string(self):
        return self.server_version

    do_GET = do_POST = do_PUT = do_PATCH = do_DELETE = do_HEAD = do_OPTIONS = handle_any

    def read_body(self):
        if self.headers.get("Transfer-Encoding"):
            self.close_connection = True
            raise ApiError(411, "length_required", "Content-Length erforderlich.")
        length = self.headers.get("Content-Length", "0").strip()
        if not length.isdigit():
            self.close_connection = True
            raise bad_request("Content-Length ungueltig.")
        if int(length) > MAX_BODY:
            self.close_connection = True
            raise ApiError(413, "too_large", "Body zu gross (hoechstens %d Bytes)." % MAX_BODY)
        return self.rfile.read(int(length))

    def log_request(self, code="-", size="-"):
        # A request line that failed to parse leaves command and path unset.
        words = (getattr(self, "requestline", "") or "").split()
        method = self.command or (words[0] if words else "")
        method = method if re.fullmatch(r"[A-Z]{1,16}", method) else "-"
        target = safe_target(self.path if self.command else (words[1] if len(words) > 1 else "-"))
        self.server.log("%s %s %s" % (method, target, int(code) if code != "-" else code))

    def log_message(self, format, *args):
        pass  # the default text holds the raw request line, query values included


class DevServer(ThreadingHTTPServer):
    daemon_threads = True
    # On Windows SO_REUSEADDR lets a second server take a port already in use.
    allow_reuse_address = os.name != "nt"

    def __init__(self, port, log_stream=None, tls=None):
        self.log_stream = log_stream
        self.log_lock = threading.Lock()
        self.app = App()
        self.tls = tls
        super().__init__((LOOPBACK, port), Handler)

    def finish_request(self, request, client_address):
        if self.tls is None:
            super().finish_request(request, client_address)
            return
        # The handshake runs on the connection's own thread, so a stalled client blocks no other.
        # Wrapping takes the socket over: the TLS socket is the one to shut down and close.
        request.settimeout(HANDSHAKE_TIMEOUT)
        tls = self.tls.wrap_socket(request, server_side=True)
        try:
            super().finish_request(tls, client_address)
        finally:
            self.shutdown_request(tls)

    def server_bind(self):
        # HTTPServer.server_bind would look up the host's FQDN, which can stall on some machines.
        socketserver.TCPServer.server_bind(self)
        self.server_name, self.server_port = self.server_address[:2]

    @property
    def port(self):
        return self.server_address[1]

    @property
    def origin(self):
        if self.tls is None:
            return "http://%s:%d" % (LOOPBACK, self.port)
        return "https://%s:%d" % (TLS_HOST, self.port)

    def log(self, line):
        stream = self.log_stream or sys.stderr
        with self.log_lock:
            stream.write(line + "\n")
            stream.flush()

    def handle_error(self, request, client_address):
        self.log("- connection error: %s" % type(sys.exc_info()[1]).__name__)


def tls_context(cert, key):
    """A server context for TLS 1.2 and newer with the certificate chain and its key."""
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.minimum_version = ssl.TLSVersion.TLSv1_2
    context.load_cert_chain(cert, key)
    return context


def start_in_thread(port=0, log_stream=None, tls=None):
    """Builds a server (a free port by default), serves it on a daemon thread, returns it."""
    server = DevServer(port, log_stream, tls)
    server.thread = threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.1},
                                     name="dev-backend", daemon=True)
    server.thread.start()
    return server


def shutdown(server):
    server.shutdown()
    server.server_close()
    server.thread.join()


def port_number(text):
    if not text.isdigit() or int(text) > 65535:
        raise argparse.ArgumentTypeError("port must be 0..65535 (0 picks a free one)")
    return int(text)


def loopback_host(text):
    if text.lower() not in (LOOPBACK, "localhost"):
        raise argparse.ArgumentTypeError("only 127.0.0.1 (or localhost) is served, not %r" % text)
    return LOOPBACK


def main(argv=None):
    parser = argparse.ArgumentParser(description="Corvanta local development backend")
    parser.add_argument("--port", type=port_number, default=DEFAULT_PORT,
                        help="TCP port (default %d, 0 picks a free one)" % DEFAULT_PORT)
    parser.add_argument("--host", type=loopback_host, default=LOOPBACK,
                        help="must be 127.0.0.1 or localhost")
    parser.add_argument("--http", action="store_true", help="plain HTTP instead of HTTPS")
    parser.add_argument("--cert", default=os.path.join(DEV_TLS, "localhost.pem"),
                        help="PEM certificate (chain) for localhost (default build/dev-tls)")
    parser.add_argument("--key", default=os.path.join(DEV_TLS, "localhost.key"),
                        help="PEM private key of --cert (default build/dev-tls)")
    args = parser.parse_args(argv)
    tls = None
    if not args.http:
        try:
            tls = tls_context(args.cert, args.key)
        except (OSError, ssl.SSLError) as e:
            print("dev-backend: cannot use the certificate %s with the key %s: %s\n"
                  "scripts/run --backend-only issues one; --http serves plain HTTP instead"
                  % (os.path.normpath(args.cert), os.path.normpath(args.key),
                     getattr(e, "strerror", None) or e), file=sys.stderr)
            return 1
    try:
        server = DevServer(args.port, tls=tls)
    except OSError as e:
        print("dev-backend: cannot listen on %s:%d: %s" % (LOOPBACK, args.port, e.strerror or e),
              file=sys.stderr)
        return 1

    def stop(_signum, _frame):
        raise KeyboardInterrupt

    signal.signal(signal.SIGTERM, stop)
    # Set explicitly: a shell without job control starts background commands with SIGINT ignored.
    signal.signal(signal.SIGINT, stop)
    if hasattr(signal, "SIGBREAK"):
        signal.signal(signal.SIGBREAK, stop)
    print("listening on %s" % server.origin, flush=True)
    try:
        server.serve_forever(poll_interval=0.2)
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()
    print("dev-backend stopped", file=sys.stderr, flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
