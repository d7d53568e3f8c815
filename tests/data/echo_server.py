#!/usr/bin/env python3
"""A stand-in for the address-echo page: on 127.0.0.1 (or the address given after them), a free port printed first,
for 90 seconds or those given. /myip.php the address; /say?TEXT TEXT percent-decoded; /moved a redirect there; /full
64 KiB ending in the address; /silent no answer; and pages that break HTTP's framing: /cut the address cut at the 64 KiB
bound, /short and /long a body shorter or longer than its Content-Length, /endless chunks that never end, /drip a byte a
second. Anything else 404."""
import http.server, itertools, sys, threading, time, urllib.parse

ADDRESS = b"80.100.100.7\r\n"
LIFETIME = int(sys.argv[1]) if len(sys.argv) > 1 else 90
BLANKS = b" " * (64 * 1024 - 12)
ROUTES = {"/myip.php": (200, ADDRESS, [("Content-Type", "text/plain")]),
          "/moved": (302, b"", [("Location", "/myip.php")]), "/full": (200, BLANKS + b"80.100.100.7"),
          "/cut": (200, BLANKS + b"80.100.100.77")}
OK = b"HTTP/1.1 200 OK\r\nConnection: close\r\n"
WHOLE = OK + b"Content-Length: 14\r\n\r\n" + ADDRESS
# Raw answers, each what is written in turn, until the client goes or the server's life ends.
FRAMING = {"/short": lambda: [WHOLE.replace(b"14", b"20")],
           "/long": lambda: [WHOLE + b"/j 6.6.6.6\r\n"],
           "/endless": lambda: itertools.chain([OK + b"Transfer-Encoding: chunked\r\n\r\ne\r\n" + ADDRESS + b"\r\n"],
                                               itertools.repeat(b"400\r\n" + b" " * 1024 + b"\r\n")),
           "/drip": lambda: (time.sleep(1) or WHOLE[i:i + 1] for i in range(len(WHOLE)))}


class Handler(http.server.BaseHTTPRequestHandler):
    def reply(self, status, body, headers=()):
        self.send_response(status)
        for name, value in [*headers, ("Content-Length", str(len(body)))]:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        end = time.monotonic() + LIFETIME
        if self.path.startswith("/say?"):
            self.reply(200, urllib.parse.unquote_to_bytes(self.path[5:]))
        elif self.path == "/silent":
            time.sleep(LIFETIME)
        elif self.path in FRAMING:
            try:
                for part in itertools.takewhile(lambda _: time.monotonic() < end, FRAMING[self.path]()):
                    self.wfile.write(part)
                    self.wfile.flush()
            except OSError:
                pass  # the client gave up
        else:
            self.reply(*ROUTES.get(self.path, (404, b"<html>not here</html>")))

    log_message = lambda *_: None  # no access log


server = http.server.ThreadingHTTPServer((sys.argv[2] if len(sys.argv) > 2 else "127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
threading.Thread(target=lambda: (time.sleep(LIFETIME), server.shutdown()), daemon=True).start()
server.serve_forever()
