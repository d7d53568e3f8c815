#!/usr/bin/env python3
"""The router tests' other machines, run with ip netns exec:
  listen ADDR PORT FILE   FILE made once bound, then "SOURCE:PORT TEXT" of one UDP datagram
  echo-page ADDR PORT     HTTP answering every GET with the caller's address, as api.ipify.org
  hung-router ADDR        SSDP answers pointing at ADDR:5000, which accepts and never answers
  endless-router ADDR     the same, but ADDR:5000 answers every request with an endless stream
"""
import http.server, select, socket, struct, sys, threading


def listen(addr, port, path):
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.bind((addr, int(port)))
    with open(path, "w") as out:
        data, (source, sport) = sock.recvfrom(65535)
        out.write(f"{source}:{sport} {data.decode(errors='replace')}\n")


class EchoPage(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        body = self.client_address[0].encode()
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    log_message = lambda *_: None  # no access log


def echo_page(addr, port):
    http.server.ThreadingHTTPServer((addr, int(port)), EchoPage).serve_forever()


def endless(conn):
    try:
        conn.recv(4096)
        conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\n\r\n<root><device>")
        while True:
            conn.sendall(b"<friendlyName>" + b"x" * 65536)
    except OSError:  # the client gave up
        conn.close()


def endless_router(addr):
    hung_router(addr, lambda conn: threading.Thread(target=endless, args=(conn,), daemon=True).start())


def hung_router(addr, answer=None):
    ssdp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    ssdp.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    ssdp.bind(("", 1900))
    group = struct.pack("4s4s", socket.inet_aton("239.255.255.250"), socket.inet_aton(addr))
    ssdp.setsockopt(socket.IPPROTO_IP, socket.IP_ADD_MEMBERSHIP, group)
    web = socket.create_server((addr, 5000))
    held = []  # accepted, never read nor answered
    while True:
        if web in select.select([ssdp, web], [], [])[0]:
            conn = web.accept()[0]
            held.append(conn) if answer is None else answer(conn)
            continue
        data, peer = ssdp.recvfrom(4096)
        kind = next((line[3:].strip() for line in data.decode(errors="replace").split("\r\n")
                     if line.lower().startswith("st:")), "ssdp:all")
        ssdp.sendto((f"HTTP/1.1 200 OK\r\nCACHE-CONTROL: max-age=120\r\nST: {kind}\r\nUSN: uuid:"
                     f"00000000-0000-0000-0000-000000007575::{kind}\r\nEXT:\r\nLOCATION: "
                     f"http://{addr}:5000/rootDesc.xml\r\n\r\n").encode(), peer)


if __name__ == "__main__":
    globals()[sys.argv[1].replace("-", "_")](*sys.argv[2:])
