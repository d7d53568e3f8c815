#!/usr/bin/env python3
"""The router tests' other machines, run with ip netns exec: hosts.py COMMAND ARGS..., a function below."""
import select, socket, sys, threading


def listen(addr, port, path):  # FILE made once bound, then "SOURCE:PORT TEXT" of one UDP datagram
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.bind((addr, int(port)))
    with open(path, "w") as out:
        data, (source, sport) = sock.recvfrom(65535)
        out.write(f"{source}:{sport} {data.decode(errors='replace')}\n")


def endless(conn):
    try:
        conn.recv(4096)
        conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\n\r\n<root><device>")
        while True:
            conn.sendall(b"<friendlyName>" + b"x" * 65536)
    except OSError:  # the client gave up
        conn.close()


def hung_router(addr, answer=lambda conn: held.append(conn)):  # SSDP answers pointing at ADDR:5000, which answers nothing
    ssdp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    ssdp.bind(("", 1900))
    ssdp.setsockopt(socket.IPPROTO_IP, socket.IP_ADD_MEMBERSHIP, socket.inet_aton("239.255.255.250") + socket.inet_aton(addr))
    web = socket.create_server((addr, 5000))
    while True:
        if web in select.select([ssdp, web], [], [])[0]:
            answer(web.accept()[0])
            continue
        data, peer = ssdp.recvfrom(4096)
        kind = next((line[3:].strip() for line in data.decode(errors="replace").split("\r\n")
                     if line.lower().startswith("st:")), "ssdp:all")
        ssdp.sendto((f"HTTP/1.1 200 OK\r\nCACHE-CONTROL: max-age=120\r\nST: {kind}\r\nUSN: uuid:"
                     f"00000000-0000-0000-0000-000000007575::{kind}\r\nEXT:\r\nLOCATION: "
                     f"http://{addr}:5000/rootDesc.xml\r\n\r\n").encode(), peer)


held = []  # the hung router's connections: accepted, never read nor answered
# the same, but ADDR:5000 answers every request with an endless stream
endless_router = lambda addr: hung_router(addr, lambda conn: threading.Thread(target=endless, args=(conn,)).start())
if __name__ == "__main__":
    globals()[sys.argv[1].replace("-", "_")](*sys.argv[2:])
