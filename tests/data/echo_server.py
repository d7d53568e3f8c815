#!/usr/bin/env python3
"""A loopback stand-in for the address-echo page: on 127.0.0.1, a free port printed first, for
90 seconds or those given. /myip.php the address; /say?TEXT TEXT percent-decoded; /moved a
redirect there; /big 70 KiB; /silent no answer; anything else 404."""
import http.server, sys, threading, time, urllib.parse

ADDRESS = b"203.0.113.7\r\n"
LIFETIME = int(sys.argv[1]) if len(sys.argv) > 1 else 90
ROUTES = {"/myip.php": (200, ADDRESS, [("Content-Type", "text/plain")]),
          "/moved": (302, b"", [("Location", "/myip.php")]), "/big": (200, b"0123456789" * 7168)}


class Handler(http.server.BaseHTTPRequestHandler):
    def reply(self, status, body, headers=()):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        if self.path.startswith("/say?"):
            self.reply(200, urllib.parse.unquote_to_bytes(self.path[5:]))
        elif self.path == "/silent":
            time.sleep(LIFETIME)
        else:
            self.reply(*ROUTES.get(self.path, (404, b"<html>not here</html>")))

    log_message = lambda *_: None  # no access log


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
threading.Thread(target=lambda: (time.sleep(LIFETIME), server.shutdown()), daemon=True).start()
server.serve_forever()
