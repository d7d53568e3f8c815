#!/usr/bin/env python3
"""Small programs that play the machines of the router tests' namespaces (run with ip netns exec).

  hosts.py listen ADDR PORT FILE   UDP listener: creates FILE once bound, then appends
                                   "SOURCE_ADDR:SOURCE_PORT TEXT" per datagram
  hosts.py listen-once ADDR PORT FILE
                                   the same for one datagram, then exits (a game that waits
                                   for its first player)
  hosts.py send ADDR PORT TEXT     one UDP datagram
  hosts.py echo-page ADDR PORT     HTTP server answering every GET with the caller's address
                                   as plain text, as public address-echo pages do
  hosts.py fetch URL [SECONDS]     prints the body of one GET (bounded, 5 s); exit 1 on failure
  hosts.py hung-router ADDR        a router that answers SSDP M-SEARCH with a LOCATION at
                                   http://ADDR:5000/rootDesc.xml, and whose port 5000 accepts
                                   connections and never answers
"""
import http.server
import os
import select
import socket
import struct
import sys


def listen(addr, port, path, once=False):
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.bind((addr, int(port)))
    out = open(path + ".t", "w", buffering=1)
    os.rename(path + ".t", path)  # FILE appears only once the port is bound
    while True:
        data, (source, sport) = sock.recvfrom(65535)
        out.write(f"{source}:{sport} {data.decode(errors='replace')}\n")
        if once:
            return


def send(addr, port, text):
    socket.socket(socket.AF_INET, socket.SOCK_DGRAM).sendto(text.encode(), (addr, int(port)))


class EchoPage(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        body = self.client_address[0].encode()
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *_):
        pass


def echo_page(addr, port):
    http.server.ThreadingHTTPServer((addr, int(port)), EchoPage).serve_forever()


def fetch(url, seconds="5"):
    import urllib.request
    try:
        with urllib.request.urlopen(url, timeout=float(seconds)) as answer:
            print(answer.read().decode(errors="replace"))
    except OSError as error:
        print(f"fetch failed: {error}", file=sys.stderr)
        return 1
    return 0


def hung_router(addr):
    ssdp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    ssdp.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    ssdp.bind(("", 1900))
    ssdp.setsockopt(socket.IPPROTO_IP, socket.IP_ADD_MEMBERSHIP,
                    struct.pack("4s4s", socket.inet_aton("239.255.255.250"), socket.inet_aton(addr)))
    http_socket = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    http_socket.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    http_socket.bind((addr, 5000))
    http_socket.listen(64)
    held = []  # accepted and never read nor answered: a router whose web server hangs
    location = f"http://{addr}:5000/rootDesc.xml"
    while True:
        ready, _, _ = select.select([ssdp, http_socket], [], [])
        if http_socket in ready:
            held.append(http_socket.accept()[0])
        if ssdp in ready:
            data, peer = ssdp.recvfrom(4096)
            text = data.decode(errors="replace")
            if not text.startswith("M-SEARCH"):
                continue
            search = next((line.split(":", 1)[1].strip() for line in text.split("\r\n")
                           if line.lower().startswith("st:")), "ssdp:all")
            if search == "ssdp:all":
                search = "urn:schemas-upnp-org:device:InternetGatewayDevice:1"
            ssdp.sendto((f"HTTP/1.1 200 OK\r\nCACHE-CONTROL: max-age=120\r\nST: {search}\r\n"
                         f"USN: uuid:00000000-0000-0000-0000-000000007575::{search}\r\nEXT:\r\n"
                         f"SERVER: Linux UPnP/1.1 hung/1.0\r\nLOCATION: {location}\r\n\r\n").encode(), peer)


def main(argv):
    commands = {"listen": (listen, 3, 3), "listen-once": (lambda *a: listen(*a, once=True), 3, 3),
                "send": (send, 3, 3), "echo-page": (echo_page, 2, 2),
                "fetch": (fetch, 1, 2), "hung-router": (hung_router, 1, 1)}
    if len(argv) >= 2 and argv[1] in commands:
        function, least, most = commands[argv[1]]
        if least <= len(argv) - 2 <= most:
            return function(*argv[2:]) or 0
    print(__doc__, file=sys.stderr)
    return 64


if __name__ == "__main__":
    sys.exit(main(sys.argv))
