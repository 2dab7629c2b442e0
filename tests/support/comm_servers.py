"""Loopback stand-ins for the relay server (TLS, raw lines), its FTP server and the cloud
analysis service (HTTPS), for the communication tests.

Started by support/CommServers; serves on 127.0.0.1 with ports chosen by the system and prints
    READY relay=<port> untrusted=<port> ftp=<port> cloud=<port>
once every endpoint listens.  All state lives in the state folder:
    relay.json    {"accounts": {ID: {"ftp_password": PW,
                                     "folders": {"01": {"name", "term", "start", "end", "sent",
                                                        "received", "password", "version"}}}}}
                  times as "yyyy-mm-dd hh:nn"; names as UTF-8 text (sent as Base64 of CP932)
    cloud.json    {"files": {ID: {"ftp_password": PW}}}
    faults.json   optional, read on every request (see FAULTS below)
    journal.jsonl one JSON object per request, appended (secrets included, for the tests)
    ftp/relay/01..10          the relay FTP root (paths used absolutely: "/01/qvacc.wen")
    ftp/cloud/<ID>/01..10     a cloud user's home (paths used relatively: "./01/qvacc.zip")
Completion requests update relay.json.  The untrusted listener serves the relay protocol with a
certificate that the tests' CA did not sign.

FAULTS (keys of faults.json):
    relay_status: {"1720": "920", ...}  status to answer for a code
    relay_cut_after: N                  send only the first N reply lines
    relay_close: true                   close the connection without a reply
    relay_delay: seconds                wait before replying
    ftp_refuse_login: true              every FTP login fails
    ftp_size_add: N                     SIZE answers the real size + N
    ftp_refuse_cwd: true                every CWD fails
    ftp_refuse_stor: true               every STOR fails
    cloud_status: "xxx"                 X-Status of every cloud reply ("" = header left out)
    cloud_http_status: N                HTTP status of every cloud reply (200 by default)
    cloud_odd_headers: true             header names in lower case, values between blanks
"""
import argparse
import base64
import json
import os
import socket
import socketserver
import ssl
import sys
import threading
import time
import urllib.parse
import zipfile
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

from pyftpdlib.authorizers import AuthenticationFailed, DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import ThreadedFTPServer

STATE = None
LOCK = threading.Lock()


def state_path(name):
    return os.path.join(STATE, name)


def load(name, default):
    try:
        with open(state_path(name), encoding="utf-8") as f:
            return json.load(f)
    except FileNotFoundError:
        return default


def save(name, value):
    tmp = state_path(name + ".tmp")
    with open(tmp, "w", encoding="utf-8") as f:
        json.dump(value, f, ensure_ascii=False, indent=1)
    os.replace(tmp, state_path(name))


def faults():
    return load("faults.json", {})


def journal(entry):
    with LOCK:
        with open(state_path("journal.jsonl"), "a", encoding="utf-8") as f:
            f.write(json.dumps(entry, ensure_ascii=False) + "\n")


# ---------------------------------------------------------------- relay ---------------------
def wire_time(text):
    """'yyyy-mm-dd hh:nn' as it stands in the folder list (separators at 5, 8, 11, 14)."""
    return text or "0000-00-00 00:00"


def folder_block(no, folder):
    name = base64.b64encode(folder.get("name", "").encode("cp932")).decode("ascii")
    return [
        "FolderNo:    " + no,                      # value at 14
        "Company:  " + name,                       # value at 11
        "Term:     " + folder.get("term", ""),     # 11
        "PerStart:  " + wire_time(folder.get("start")),   # 12
        "PerEnd:    " + wire_time(folder.get("end")),     # 12
        "SentAt:   " + wire_time(folder.get("sent")),     # 11
        "Passwd:   " + folder.get("password", ""),        # 11
        "DataVer:    " + folder.get("version", ""),       # 13
        "RecvAt:   " + wire_time(folder.get("received")), # 11
    ]


def status_line(code):
    return "Status:   " + code          # status at 11-13


def now_compact():
    return time.strftime("%Y%m%d%H%M")


def now_wire():
    return time.strftime("%Y-%m-%d %H:%M")


def relay_reply(params):
    code = params.get("Scode", "")
    chosen = faults().get("relay_status", {}).get(code)
    with LOCK:
        relay = load("relay.json", {"accounts": {}})
        account = relay["accounts"].get(params.get("sFName", ""))
        status = chosen or ("000" if account is not None else "920")
        head = ["HTTP/1.0 200 OK", "Server: relay-double", "Content-Type: text/plain", ""]
        if code == "1720":
            lines = head + [status_line(status)]
            if status == "000":
                lines += ["FtpH:  127.0.0.1", "FtpP:  " + account.get("ftp_password", ""), "-"]
                for i in range(1, 11):
                    no = "%02d" % i
                    lines += folder_block(no, account.get("folders", {}).get(no, {}))
            return lines
        folder_no = params.get("fSname", "")
        if code == "1750":
            if status == "000":
                account.setdefault("folders", {})[folder_no] = {}
                path = os.path.join(STATE, "ftp", "relay", folder_no, "qvacc.wen")
                if os.path.exists(path):
                    os.remove(path)
                save("relay.json", relay)
            return head + [status_line(status)]
        if code in ("1810", "1820", "1830"):
            stamp = now_compact()
            if status == "000":
                folder = account.setdefault("folders", {}).setdefault(folder_no, {})
                if code == "1830":
                    folder["received"] = now_wire()
                else:
                    folder.update({
                        "name": base64.b64decode(params.get("fSg", "")).decode("cp932", "replace"),
                        "term": params.get("fNe", ""),
                        "start": params.get("fKis", "")[:4] + "-" + params.get("fKis", "")[4:6] + "-"
                                 + params.get("fKis", "")[6:8] + " 00:00",
                        "end": params.get("fKie", "")[:4] + "-" + params.get("fKie", "")[4:6] + "-"
                               + params.get("fKie", "")[6:8] + " 00:00",
                        "sent": now_wire(),
                        "password": params.get("fPa", ""),
                        "version": params.get("fYobi", ""),
                    })
                save("relay.json", relay)
            return head + ["Time:  " + stamp, status_line(status)]
        return head + [status_line("999")]


class RelayHandler(socketserver.BaseRequestHandler):
    def handle(self):
        conn = self.server.tls.wrap_socket(self.request, server_side=True)
        conn.settimeout(10)
        data = b""
        # The request ends with two empty lines; reading all of it keeps the close clean.
        while not data.endswith(b"\r\n\r\n\r\n") and len(data) < 65536:
            chunk = conn.recv(4096)
            if not chunk:
                break
            data += chunk
        text = data.decode("latin-1")
        lines = text.split("\r\n")
        request_line = lines[0]
        target = request_line.split(" ")[1] if request_line.count(" ") >= 2 else ""
        query = urllib.parse.urlsplit(target).query
        # Percent-decoding as bytes: the values are CP932.
        params = {k: v.encode("latin-1").decode("cp932", "replace")
                  for k, v in urllib.parse.parse_qsl(query, keep_blank_values=True, encoding="latin-1")}
        headers = [l for l in lines[1:] if l]
        journal({"endpoint": self.server.name, "raw": text, "request_line": request_line,
                 "headers": headers, "params": params})
        f = faults()
        if f.get("relay_delay"):
            time.sleep(float(f["relay_delay"]))
        if f.get("relay_close"):
            conn.close()
            return
        reply = relay_reply(params)
        if "relay_cut_after" in f:
            reply = reply[: int(f["relay_cut_after"])]
        conn.sendall(("\r\n".join(reply) + "\r\n").encode("cp932"))
        try:
            conn.unwrap()
        except (ssl.SSLError, OSError):
            pass
        conn.close()


class RelayServer(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, name, cert, key):
        super().__init__(("127.0.0.1", 0), RelayHandler)
        self.name = name
        self.tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        self.tls.minimum_version = ssl.TLSVersion.TLSv1_2
        self.tls.load_cert_chain(cert, key)

    def handle_error(self, request, client_address):
        pass  # a client refusing our certificate ends the handshake; nothing to report


# ---------------------------------------------------------------- FTP -----------------------
class StateAuthorizer(DummyAuthorizer):
    """Users from relay.json (communication IDs) and cloud.json (file IDs), read at each login."""

    def validate_authentication(self, username, password, handler):
        if faults().get("ftp_refuse_login"):
            raise AuthenticationFailed("login refused")
        relay = load("relay.json", {"accounts": {}})["accounts"]
        cloud = load("cloud.json", {"files": {}})["files"]
        if username in relay:
            expected, home = relay[username].get("ftp_password"), os.path.join(STATE, "ftp", "relay")
        elif username in cloud:
            expected, home = cloud[username].get("ftp_password"), os.path.join(STATE, "ftp", "cloud", username)
        else:
            raise AuthenticationFailed("unknown user")
        if password != expected:
            raise AuthenticationFailed("wrong password")
        for i in range(1, 11):
            os.makedirs(os.path.join(home, "%02d" % i), exist_ok=True)
        if self.has_user(username):
            self.remove_user(username)
        self.add_user(username, password, home, perm="elradfmw")
        journal({"endpoint": "ftp", "event": "login", "user": username, "password": password})


class JournalFtpHandler(FTPHandler):
    def on_file_received(self, file):
        journal({"endpoint": "ftp", "event": "stored", "path": file})

    def ftp_CWD(self, path):
        if faults().get("ftp_refuse_cwd"):
            self.respond("550 No such directory.")
            return
        return super().ftp_CWD(path)

    def ftp_STOR(self, file, mode="w"):
        if faults().get("ftp_refuse_stor"):
            self.respond("553 Not allowed.")
            return
        return super().ftp_STOR(file, mode)

    def ftp_SIZE(self, path):
        add = int(faults().get("ftp_size_add", 0))
        if add and os.path.isfile(path):
            self.respond("213 %d" % (os.path.getsize(path) + add))
            return
        return super().ftp_SIZE(path)


# ---------------------------------------------------------------- cloud ---------------------
class CloudHandler(BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def do_GET(self):
        query = dict(urllib.parse.parse_qsl(urllib.parse.urlsplit(self.path).query))
        journal({"endpoint": "cloud", "path": self.path, "user_agent": self.headers.get("User-Agent", ""),
                 "params": query})
        headers = {}
        if self.headers.get("User-Agent") != "Lomatra":
            headers["X-Status"] = "900"
        elif query.get("pmd") == "1000":
            files = load("cloud.json", {"files": {}})["files"]
            entry = files.get(query.get("fnm", ""))
            if entry is None:
                headers["X-Status"] = "902"
            else:
                headers.update({"X-Add": "127.0.0.1", "X-Pas": entry.get("ftp_password", ""), "X-Status": "000"})
        elif query.get("pmd") == "1100":
            headers["X-Status"] = self.check_upload(query)
        else:
            headers["X-Status"] = "901"
        forced = faults().get("cloud_status")
        if forced is not None:
            headers["X-Status"] = forced
        self.send_response(int(faults().get("cloud_http_status", 200)))
        odd = faults().get("cloud_odd_headers")
        for name, value in headers.items():
            if value != "":
                self.send_header(name.lower() if odd else name, "  %s\t" % value if odd else value)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def check_upload(self, query):
        """Opens the uploaded zip as the service would; journals what it found."""
        fnm, dno = query.get("fnm", ""), query.get("dno", "")
        path = os.path.join(STATE, "ftp", "cloud", fnm, dno.zfill(2), "qvacc.zip")
        try:
            z = zipfile.ZipFile(path)
        except (OSError, zipfile.BadZipFile):
            return "921"
        with z:
            names = z.namelist()
            journal({"endpoint": "cloud-zip", "names": names,
                     "encrypted": [bool(i.flag_bits & 1) for i in z.infolist()]})
            if "qvacc.sql" not in names:
                return "924"
            try:
                script = z.read("qvacc.sql", pwd=query.get("fpa", "").encode("latin-1"))
            except RuntimeError:
                return "922"
            except (zipfile.BadZipFile, OSError):
                return "923"
        if ("velkor_d_%s_%s" % (fnm, dno)).encode() not in script:
            return "924"
        return "000"


# ---------------------------------------------------------------- main ----------------------
def main():
    global STATE
    ap = argparse.ArgumentParser()
    ap.add_argument("--state", required=True)
    ap.add_argument("--cert", required=True)
    ap.add_argument("--key", required=True)
    ap.add_argument("--untrusted-cert", required=True)
    ap.add_argument("--untrusted-key", required=True)
    args = ap.parse_args()
    STATE = args.state
    for i in range(1, 11):
        os.makedirs(os.path.join(STATE, "ftp", "relay", "%02d" % i), exist_ok=True)
    os.makedirs(os.path.join(STATE, "ftp", "cloud"), exist_ok=True)

    relay = RelayServer("relay", args.cert, args.key)
    untrusted = RelayServer("untrusted", args.untrusted_cert, args.untrusted_key)

    handler = JournalFtpHandler
    handler.authorizer = StateAuthorizer()
    handler.banner = "ftp double ready"
    handler.permit_foreign_addresses = False
    handler.auth_failed_timeout = 0.1  # a refused login answers at once
    ftp = ThreadedFTPServer(("127.0.0.1", 0), handler)

    cloud = ThreadingHTTPServer(("127.0.0.1", 0), CloudHandler)
    tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    tls.minimum_version = ssl.TLSVersion.TLSv1_2
    tls.load_cert_chain(args.cert, args.key)
    cloud.socket = tls.wrap_socket(cloud.socket, server_side=True)

    for server in (relay, untrusted, cloud):
        threading.Thread(target=server.serve_forever, daemon=True).start()
    threading.Thread(target=ftp.serve_forever, kwargs={"handle_exit": False}, daemon=True).start()

    print("READY relay=%d untrusted=%d ftp=%d cloud=%d" % (
        relay.server_address[1], untrusted.server_address[1], ftp.address[1], cloud.server_address[1]),
        flush=True)
    # Runs until the test closes our standard input (or ends).
    sys.stdin.read()


if __name__ == "__main__":
    main()
