"""The development backend, exercised over real loopback HTTP."""

import io
import json
import os
import re
import shutil
import signal
import socket
import ssl
import subprocess
import sys
import tempfile
import threading
import unittest
import warnings
import urllib.error
import urllib.parse
import urllib.request
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
SERVER_PY = ROOT / "tools" / "dev-backend" / "server.py"
sys.path.insert(0, str(SERVER_PY.parent))
import server as backend  # noqa: E402

# A proxy from the environment must never see loopback test traffic.
OPENER = urllib.request.build_opener(urllib.request.ProxyHandler({}))

DEMO = ("demo", "corvanta-demo")
LENA = ("lena", "lena-pass")

PROTECTED = [
    ("GET", "/api/auth/me", None),
    ("GET", "/api/app/bootstrap", None),
    ("GET", "/api/communities", None),
    ("GET", "/api/communities/6/progression", None),
    ("POST", "/api/communities/6/progression/title", {"title": "Held"}),
    ("POST", "/api/communities/6/clans",
     {"name": "Nord", "description": "", "avatar_color": "#00a3ff"}),
    ("POST", "/api/community-clans/42/join", {}),
    ("GET", "/api/streams/live", None),
    ("GET", "/api/dm/conversations", None),
    ("GET", "/api/restream-targets", None),
    ("GET", "/api/me/wallet", None),
    ("GET", "/api/stream/gift-catalog", None),
    ("GET", "/api/livekit/host-token?room=lobby&username=demo", None),
]


class BackendCase(unittest.TestCase):
    def setUp(self):
        self.log = io.StringIO()
        self.server = backend.start_in_thread(log_stream=self.log)
        self.addCleanup(backend.shutdown, self.server)
        self.base = "http://127.0.0.1:%d" % self.server.port
        self.requests = 0

    def call(self, method, path, body=None, token=None, headers=None):
        """Status, decoded JSON answer and headers; every answer must be UTF-8 JSON."""
        data = body if body is None or isinstance(body, bytes) else json.dumps(body).encode()
        req = urllib.request.Request(self.base + path, data=data, method=method)
        if token:
            req.add_header("Authorization", "Bearer " + token)
        for key, value in (headers or {}).items():
            req.add_header(key, value)
        self.requests += 1
        try:
            with OPENER.open(req, timeout=10) as answer:
                status, hdrs, raw = answer.status, answer.headers, answer.read()
        except urllib.error.HTTPError as e:
            status, hdrs, raw = e.code, e.headers, e.read()
        self.assertEqual(hdrs["Content-Type"], "application/json; charset=utf-8", path)
        return status, json.loads(raw.decode("utf-8")), hdrs

    def login(self, account=DEMO):
        status, answer, _ = self.call(
            "POST", "/api/auth/login", {"identifier": account[0], "password": account[1]})
        self.assertEqual(status, 200, answer)
        return answer["accessToken"]

    def raw(self, request_bytes):
        """Sends bytes as they are; the status line of the answer, after checking it is JSON."""
        with socket.create_connection(("127.0.0.1", self.server.port), timeout=10) as sock:
            sock.sendall(request_bytes)
            answer = b""
            while True:  # every refusal closes the connection
                chunk = sock.recv(4096)
                if not chunk:
                    break
                answer += chunk
        self.requests += 1
        head, _, body = answer.decode("latin-1").partition("\r\n\r\n")
        self.assertIn("Content-Type: application/json; charset=utf-8", head)
        self.assertIn("error", json.loads(body))
        return head.split("\r\n", 1)[0]


class SignInTest(BackendCase):
    def test_both_accounts_sign_in_by_name_or_email(self):
        cases = [("demo", "corvanta-demo", "demo"), ("demo@corvanta.test", "corvanta-demo", "demo"),
                 ("Demo@Corvanta.test", "corvanta-demo", "demo"), ("lena", "lena-pass", "lena"),
                 ("lena@corvanta.test", "lena-pass", "lena")]
        for identifier, password, username in cases:
            with self.subTest(identifier=identifier):
                token = self.login((identifier, password))
                status, answer, _ = self.call("GET", "/api/auth/me", token=token)
                self.assertEqual((status, answer["user"]["username"]), (200, username))
                status, answer, _ = self.call(
                    "POST", "/api/auth/login", {"identifier": identifier, "password": password})
                self.assertEqual(answer["user"]["username"], username)
                self.assertEqual(answer["tokenType"], "Bearer")
                self.assertNotIn(password, json.dumps(answer))

    def test_wrong_credentials_answer_401_with_json_error(self):
        for identifier, password in [("demo", "falsch"), ("demo", "lena-pass"),
                                     ("lena", "corvanta-demo"), ("niemand", "corvanta-demo"),
                                     ("demo", "corvanta-demo ")]:
            with self.subTest(identifier=identifier, password=password):
                status, answer, _ = self.call(
                    "POST", "/api/auth/login", {"identifier": identifier, "password": password})
                self.assertEqual(status, 401)
                self.assertIn("error", answer)
                self.assertNotIn("accessToken", answer)

    def test_malformed_body_answers_400(self):
        bodies = [b"", b"not json", b"[]", b'"demo"', b"null", b"\xff\xfe{}", b"[" * 60000,
                  {"identifier": "demo"}, {"password": "corvanta-demo"},
                  {"identifier": "demo", "password": 5}, {"identifier": ["demo"], "password": "x"},
                  {"identifier": "", "password": "corvanta-demo"}]
        for body in bodies:
            with self.subTest(body=repr(body)[:40]):
                status, answer, _ = self.call("POST", "/api/auth/login", body)
                self.assertEqual(status, 400)
                self.assertIn("error", answer)

    def test_tokens_are_random_per_sign_in_and_all_stay_valid(self):
        tokens = [self.login() for _ in range(4)]
        results = []
        threads = [threading.Thread(target=lambda: results.append(self.login(LENA)))
                   for _ in range(6)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        tokens += results
        self.assertEqual(len(set(tokens)), 10)
        for token in tokens:
            self.assertGreaterEqual(len(token), 32)
            self.assertNotIn("demo", token.lower())
            self.assertEqual(self.call("GET", "/api/auth/me", token=token)[0], 200)

    def test_tokens_of_one_server_mean_nothing_to_another(self):
        other = backend.start_in_thread(log_stream=io.StringIO())
        self.addCleanup(backend.shutdown, other)
        token = self.login()
        req = urllib.request.Request("http://127.0.0.1:%d/api/auth/me" % other.port,
                                     headers={"Authorization": "Bearer " + token})
        with self.assertRaises(urllib.error.HTTPError) as caught:
            OPENER.open(req, timeout=10)
        self.assertEqual(caught.exception.code, 401)


class AccessTest(BackendCase):
    def test_every_protected_request_needs_a_valid_bearer_token(self):
        token = self.login()
        bad_headers = [{}, {"Authorization": "Bearer "}, {"Authorization": "Bearer falsch"},
                       {"Authorization": "Basic " + token}, {"Authorization": token},
                       {"Authorization": "Bearer " + token[:-1]}]
        for method, path, body in PROTECTED:
            for headers in bad_headers:
                with self.subTest(path=path, headers=headers):
                    status, answer, hdrs = self.call(method, path, body, headers=headers)
                    self.assertEqual(status, 401)
                    self.assertEqual(answer["error"], "unauthorized")
                    self.assertEqual(hdrs["WWW-Authenticate"], "Bearer")
            with self.subTest(path=path, token="valid"):
                self.assertIn(self.call(method, path, body, token=token)[0], (200, 201))

    def test_social_rooms_are_public(self):
        for token in (None, "falsch", self.login()):
            status, answer, _ = self.call("GET", "/api/rooms/social", token=token)
            self.assertEqual(status, 200)
            self.assertTrue(answer["rooms"])

    def test_unknown_paths_404_and_wrong_methods_405(self):
        token = self.login()
        for path in ["/", "/api", "/api/nope", "/api/communities/", "/api/me/wallet/x",
                     "/api/community-clans/42", "/api/communities/6/progression/title/x"]:
            with self.subTest(path=path):
                status, answer, _ = self.call("GET", path, token=token)
                self.assertEqual((status, answer["error"]), (404, "not_found"))
        for method, path, allow in [("POST", "/api/me/wallet", "GET"),
                                    ("GET", "/api/auth/login", "POST"),
                                    ("DELETE", "/api/rooms/social", "GET"),
                                    ("GET", "/api/community-clans/42/join", "POST"),
                                    ("PUT", "/api/communities/6/clans", "POST")]:
            with self.subTest(method=method, path=path):
                status, answer, hdrs = self.call(method, path, b"{}", token=token)
                self.assertEqual((status, hdrs["Allow"]), (405, allow))

    def test_oversized_and_undeclared_bodies_are_refused(self):
        status = self.raw(b"POST /api/auth/login HTTP/1.1\r\nHost: x\r\n"
                          b"Content-Length: 10000000\r\n\r\n")
        self.assertIn(" 413 ", status)
        status = self.raw(b"POST /api/auth/login HTTP/1.1\r\nHost: x\r\n"
                          b"Transfer-Encoding: chunked\r\n\r\n0\r\n\r\n")
        self.assertIn(" 411 ", status)
        status = self.raw(b"POST /api/auth/login HTTP/1.1\r\nHost: x\r\n"
                          b"Content-Length: -5\r\n\r\n")
        self.assertIn(" 400 ", status)


class DataTest(BackendCase):
    def get(self, path, account=DEMO):
        status, answer, _ = self.call("GET", path, token=self.login(account))
        self.assertEqual(status, 200, answer)
        return answer

    def test_bootstrap_profile_and_wallet_agree_per_user(self):
        for account in (DEMO, LENA):
            with self.subTest(account=account[0]):
                me = self.get("/api/auth/me", account)["user"]
                boot = self.get("/api/app/bootstrap", account)
                wallet = self.get("/api/me/wallet", account)
                self.assertEqual(me["username"], account[0])
                self.assertEqual(me["email"], account[0] + "@corvanta.test")
                self.assertNotIn("password", me)
                self.assertEqual(boot["user"], me)
                self.assertEqual(boot["defaultCommunityId"], 6)
                self.assertEqual(boot["wallet"]["balance"], wallet["balance"])
                self.assertEqual(wallet["userId"], me["id"])
        self.assertNotEqual(self.get("/api/me/wallet")["balance"],
                            self.get("/api/me/wallet", LENA)["balance"])

    def test_conversations_pair_the_two_users(self):
        demo = self.get("/api/dm/conversations")["conversations"]
        lena = self.get("/api/dm/conversations", LENA)["conversations"]
        self.assertIn("lena", [c["with"]["username"] for c in demo])
        self.assertIn("demo", [c["with"]["username"] for c in lena])
        shared = {c["id"] for c in demo} & {c["id"] for c in lena}
        self.assertEqual(len(shared), 1)
        unread = sum(c["unread"] for c in demo)
        self.assertEqual(self.get("/api/app/bootstrap")["unreadMessages"], unread)

    def test_restream_targets_carry_secrets_to_mask(self):
        targets = self.get("/api/restream-targets")["targets"]
        self.assertTrue(targets)
        for target in targets:
            self.assertRegex(target["streamKey"], r"\S{8,}")
            self.assertRegex(target["apiSecret"], r"\S{8,}")
            self.assertTrue(target["ingestUrl"].startswith("rtmp"))
        lena = self.get("/api/restream-targets", LENA)["targets"]
        self.assertFalse({t["streamKey"] for t in targets} & {t["streamKey"] for t in lena})

    def test_catalogues_and_streams(self):
        gifts = self.get("/api/stream/gift-catalog")["gifts"]
        self.assertTrue(gifts)
        self.assertTrue(all(isinstance(g["price"], int) and g["price"] > 0 for g in gifts))
        self.assertEqual(len({g["id"] for g in gifts}), len(gifts))
        streams = self.get("/api/streams/live")["streams"]
        self.assertTrue(all(s["title"] and s["room"] and s["viewers"] >= 0 for s in streams))
        communities = {c["id"]: c for c in self.get("/api/communities")["communities"]}
        self.assertIn(6, communities)


class CommunityTest(BackendCase):
    def setUp(self):
        super().setUp()
        self.demo, self.lena = self.login(), self.login(LENA)

    def progression(self, cid="6", token=None):
        status, answer, _ = self.call("GET", "/api/communities/%s/progression" % cid,
                                      token=token or self.demo)
        self.assertEqual(status, 200, answer)
        return answer

    def set_title(self, title, cid="6"):
        return self.call("POST", "/api/communities/%s/progression/title" % cid,
                         {"title": title}, token=self.demo)

    def create(self, name, cid="6", token=None, color="#00a3ff"):
        return self.call("POST", "/api/communities/%s/clans" % cid,
                         {"name": name, "description": "", "avatar_color": color},
                         token=token or self.demo)

    def join(self, clan_id, token=None, body=b"{}"):
        return self.call("POST", "/api/community-clans/%s/join" % clan_id, body,
                         token=token or self.demo)

    def test_default_community_has_unlocked_and_locked_titles(self):
        p = self.progression()
        unlocked = [t["name"] for t in p["titles"] if t["unlocked"]]
        locked = [t["name"] for t in p["titles"] if not t["unlocked"]]
        self.assertTrue(unlocked and locked)
        self.assertEqual(p["unlockedTitles"], unlocked)
        self.assertIn(p["title"], unlocked)
        self.assertEqual(p["communityId"], 6)

    def test_setting_a_title(self):
        before = self.progression()
        target = [t for t in before["unlockedTitles"] if t != before["title"]][0]
        status, answer, _ = self.set_title(target)
        self.assertEqual((status, answer["progression"]["title"]), (200, target))
        self.assertEqual(self.progression()["title"], target)
        self.assertNotEqual(self.progression(token=self.lena)["title"], target)
        locked = [t["name"] for t in before["titles"] if not t["unlocked"]]
        for title in locked + ["Kaiser", target.lower(), target + " "]:
            with self.subTest(title=title):
                status, answer, _ = self.set_title(title)
                self.assertEqual(status, 422)
                self.assertEqual(answer["error"], "title_locked")
        self.assertEqual(self.progression()["title"], target)
        for body in [b"{}", b"x", {"title": 3}, {"title": ""}, b"[]"]:
            with self.subTest(body=body):
                status, _, _ = self.call("POST", "/api/communities/6/progression/title", body,
                                         token=self.demo)
                self.assertEqual(status, 400)

    def test_unknown_community_answers_404(self):
        for cid in ["999", "6%20", "abc", "06", "-1"]:
            with self.subTest(cid=cid):
                self.assertEqual(self.call("GET", "/api/communities/%s/progression" % cid,
                                           token=self.demo)[0], 404)
                self.assertEqual(self.set_title("Held", cid)[0], 404)
                self.assertEqual(self.create("Nord", cid)[0], 404)

    def test_creating_clans(self):
        count = {c["id"]: c["clans"] for c in
                 self.call("GET", "/api/communities", token=self.demo)[1]["communities"]}
        status, answer, _ = self.create("Nord")
        self.assertEqual(status, 201, answer)
        clan = answer["clan"]
        self.assertEqual((clan["name"], clan["memberCount"], clan["member"]), ("Nord", 1, True))
        self.assertIn(clan["id"], [c["id"] for c in self.progression()["clans"]])
        after = {c["id"]: c["clans"] for c in
                 self.call("GET", "/api/communities", token=self.demo)[1]["communities"]}
        self.assertEqual(after[6], count[6] + 1)
        for name, token in [("Nord", self.demo), ("nord", self.lena), ("Nordwind", self.demo)]:
            with self.subTest(duplicate=name):
                status, answer, _ = self.create(name, token=token)
                self.assertEqual((status, answer["error"]), (409, "clan_exists"))
        self.assertEqual(self.create("Nord", cid="9")[0], 201)
        for body in [{"description": ""}, {"name": "  "}, {"name": 7}, b"x",
                     {"name": "Farbe", "avatar_color": "blau"}, {"name": "L" * 49}]:
            with self.subTest(body=body):
                status, _, _ = self.call("POST", "/api/communities/6/clans", body,
                                         token=self.demo)
                self.assertEqual(status, 400)

    def test_joining_clans(self):
        status, answer, _ = self.join(42)
        self.assertEqual((status, answer["clan"]["memberCount"], answer["clan"]["member"]),
                         (200, 2, True))
        for clan_id, token in [(42, self.demo), (42, self.lena), (43, self.demo)]:
            with self.subTest(again=clan_id):
                status, answer, _ = self.join(clan_id, token)
                self.assertEqual((status, answer["error"]), (409, "already_member"))
        for clan_id in ["999", "abc", "42%20"]:
            with self.subTest(unknown=clan_id):
                self.assertEqual(self.join(clan_id)[0], 404)
        new_id = self.create("Eisbrecher")[1]["clan"]["id"]
        status, answer, _ = self.join(new_id, self.lena, body=b"")
        self.assertEqual((status, answer["clan"]["memberCount"]), (200, 2))
        members = {c["id"]: c["member"] for c in self.progression(token=self.lena)["clans"]}
        self.assertTrue(members[new_id] and members[42])
        self.assertEqual(self.join(43, self.lena, body=b"kein json")[0], 400)


class HostTokenTest(BackendCase):
    def token_for(self, query, account=DEMO):
        return self.call("GET", "/api/livekit/host-token" + query, token=self.login(account))

    def test_room_comes_from_the_query(self):
        for room in ["team_blau", "Lobby 1", "native_win_1700000000", "Raum/mit?Zeichen&"]:
            with self.subTest(room=room):
                query = "?room=%s&username=%s" % (urllib.parse.quote(room, safe=""), "demo")
                status, answer, _ = self.token_for(query)
                self.assertEqual(status, 200, answer)
                self.assertEqual(answer["room"], room)
                self.assertEqual(answer["identity"], "demo")
                self.assertTrue(answer["url"].startswith("wss://"))
                self.assertEqual(answer["token"].count("."), 2)
        first = self.token_for("?room=a")[1]["token"]
        self.assertNotEqual(first, self.token_for("?room=a")[1]["token"])

    def test_identity_is_the_token_holder_not_the_query(self):
        status, answer, _ = self.token_for("?room=x&username=demo", LENA)
        self.assertEqual((status, answer["identity"]), (200, "lena"))

    def test_missing_or_oversized_room_answers_400(self):
        for query in ["", "?username=demo", "?room=", "?room=" + "r" * 129]:
            with self.subTest(query=query[:20]):
                self.assertEqual(self.token_for(query)[0], 400)


class LogTest(BackendCase):
    def test_one_line_per_request_without_secrets(self):
        demo = self.login()
        lena = self.login(LENA)
        self.call("POST", "/api/auth/login", {"identifier": "demo", "password": "geheim-falsch"})
        targets = self.call("GET", "/api/restream-targets", token=demo)[1]["targets"]
        media = self.call("GET", "/api/livekit/host-token?room=geheimraum&username="
                          "demo%40corvanta.test", token=lena)[1]
        self.call("GET", "/api/me/wallet?key=versteckt", token=demo)
        self.call("GET", "/api/nope")
        bad = self.raw(b"GET /api/me/wallet?key=unsichtbar extra HTTP/1.0\r\n\r\n")
        self.assertIn(" 400", bad)
        log = self.log.getvalue()
        lines = log.splitlines()
        self.assertEqual(len(lines), self.requests)
        for line in lines:
            self.assertRegex(line, r"^[A-Z-]+ \S+ \d{3}$")
        self.assertIn("GET /api/livekit/host-token?room&username 200", lines)
        self.assertIn("GET /api/me/wallet?key 400", lines)
        secrets = [demo, lena, media["token"], "corvanta-demo", "lena-pass", "geheim-falsch",
                   "geheimraum", "corvanta.test", "versteckt", "unsichtbar"]
        secrets += [t["streamKey"] for t in targets] + [t["apiSecret"] for t in targets]
        for secret in secrets:
            self.assertNotIn(secret, log)

    def test_control_characters_in_the_path_stay_on_one_line(self):
        status = self.raw(b"GET /api/x\x1b[2J\rFAKE 200 HTTP/1.0\r\n\r\n")
        self.assertNotIn("FAKE", status)
        lines = self.log.getvalue().splitlines()
        self.assertEqual(len(lines), 1)
        self.assertNotIn("\x1b", lines[0])


def serve_and_stop(test, args, origin_pattern, visit, sig=signal.SIGTERM):
    """Runs server.py with args, checks the origin it announces, hands it to visit(), stops the
    server with sig and checks that it ended cleanly, having logged the social rooms request."""
    proc = subprocess.Popen([sys.executable, str(SERVER_PY)] + args, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, text=True)
    try:
        first = proc.stdout.readline()
        match = re.fullmatch(r"listening on (%s)\n" % origin_pattern, first)
        test.assertTrue(match, first)
        visit(match.group(1))
        proc.send_signal(sig)
        out, err = proc.communicate(timeout=10)
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.communicate()
    test.assertEqual(proc.returncode, 0, err)
    test.assertEqual(out, "")
    test.assertIn("GET /api/rooms/social 200", err)
    test.assertNotIn("Traceback", err)


class ProcessTest(unittest.TestCase):
    def run_script(self, *args):
        return subprocess.run([sys.executable, str(SERVER_PY)] + list(args), capture_output=True,
                              text=True, timeout=30)

    def test_refuses_hosts_other_than_loopback_and_bad_ports(self):
        for args in [("--host", "0.0.0.0"), ("--host", "::"), ("--host", "192.168.1.5"),
                     ("--host", "example.com"), ("--host", "127.0.0.2"), ("--port", "70000"),
                     ("--port", "abc"), ("--port", "-1")]:
            with self.subTest(args=args):
                done = self.run_script(*args)
                self.assertEqual(done.returncode, 2)
                self.assertEqual(done.stdout, "")

    def test_busy_port_is_reported(self):
        holder = backend.start_in_thread(log_stream=io.StringIO())
        self.addCleanup(backend.shutdown, holder)
        done = self.run_script("--http", "--port", str(holder.port))
        self.assertEqual(done.returncode, 1)
        self.assertIn("cannot listen", done.stderr)
        self.assertEqual(done.stdout, "")

    @unittest.skipIf(os.name == "nt", "signals are POSIX here")
    def test_announces_its_port_serves_and_stops_cleanly(self):
        def visit(origin):
            with OPENER.open(origin + "/api/rooms/social", timeout=10) as answer:
                self.assertEqual(answer.status, 200)

        for sig in (signal.SIGTERM, signal.SIGINT):
            with self.subTest(signal=sig.name):
                serve_and_stop(self, ["--http", "--port", "0", "--host", "localhost"],
                               r"http://127\.0\.0\.1:\d+", visit, sig)


@unittest.skipUnless(shutil.which("openssl"), "openssl makes the test certificate")
class TlsProcessTest(unittest.TestCase):
    def setUp(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        self.cert = os.path.join(folder.name, "localhost.pem")
        self.key = os.path.join(folder.name, "localhost.key")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                        "-subj", "/CN=localhost", "-addext", "subjectAltName=DNS:localhost",
                        "-keyout", self.key, "-out", self.cert], check=True,
                       capture_output=True, timeout=60)

    @unittest.skipIf(os.name == "nt", "signals are POSIX here")
    def test_serves_https_on_localhost_from_tls_1_2_on(self):
        def visit(origin):
            url = origin + "/api/rooms/social"
            trusting = ssl.create_default_context(cafile=self.cert)
            with urllib.request.urlopen(url, timeout=10, context=trusting) as answer:
                self.assertEqual(answer.status, 200)
            # A client that would settle for TLS 1.1 (the low security level lets it offer it).
            legacy = ssl.create_default_context(cafile=self.cert)
            legacy.set_ciphers("DEFAULT:@SECLEVEL=0")
            with warnings.catch_warnings():
                warnings.simplefilter("ignore", DeprecationWarning)
                legacy.minimum_version = ssl.TLSVersion.TLSv1
                legacy.maximum_version = ssl.TLSVersion.TLSv1_1
            with self.assertRaises((ssl.SSLError, urllib.error.URLError)):
                urllib.request.urlopen(url, timeout=10, context=legacy)

        serve_and_stop(self, ["--port", "0", "--cert", self.cert, "--key", self.key],
                       r"https://localhost:\d+", visit)

    def test_a_missing_certificate_is_reported_not_served_plain(self):
        for args in [("--cert", self.cert + ".missing", "--key", self.key),
                     ("--cert", self.cert, "--key", self.cert)]:
            with self.subTest(args=args):
                done = subprocess.run([sys.executable, str(SERVER_PY), "--port", "0"] + list(args),
                                      capture_output=True, text=True, timeout=30)
                self.assertEqual(done.returncode, 1)
                self.assertEqual(done.stdout, "")
                self.assertIn("--http", done.stderr)
                self.assertNotIn("Traceback", done.stderr)


if __name__ == "__main__":
    unittest.main()
