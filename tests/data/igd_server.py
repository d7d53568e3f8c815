#!/usr/bin/env python3
"""igd_server.py SCENARIO: a scripted IGD on 127.0.0.1, a plain one but for TWEAKS[SCENARIO].
Prints the TCP port of its /rootDesc.xml and /ctl; ends when its stdin closes."""
import http.server, itertools, re, socket, struct, sys, threading, time
from xml.sax.saxutils import escape

TWEAKS = {
    "normal": {}, "natpmp": {},  # natpmp: nat_pmp() as well
    "odd-device": dict(name="<b>Box</b><script>x</script>", model="&lt;i&gt;" + "M" * 9991, status="Disconnected"),
    # answers in turn (the first to discovery): 15 characters of it another address, then 100 kB
    "odd-address": dict(addresses=["203.0.113.7", "200.200.200.2001", "7" * 100_000]),
    "permanent-only": dict(fault=lambda lease: 725 if lease != "0" else 0),
    "conflict": dict(held=dict(NewInternalClient="192.168.1.77", NewInternalPort="7575",
                               NewLeaseDuration="0", NewPortMappingDescription="Other Game Box")),
    "refuse": dict(fault=lambda lease: 501),
    "hang": dict(hang=True),  # the description served, no request answered
    # a device that streams without end: its description, or every control answer
    "endless-description": dict(endless="GET"), "endless-answer": dict(endless="POST"),
}
TWEAK = TWEAKS[sys.argv[1]]
SERVICE = "urn:schemas-upnp-org:service:WANIPConnection:1"
ROOT = ('<?xml version="1.0"?><root xmlns="urn:schemas-upnp-org:device-1-0"><device><friendlyName>'
        f"{escape(TWEAK.get('name', 'Velkor Test Router'))}</friendlyName><modelName>{escape(TWEAK.get('model', 'IGD-1'))}"
        f"</modelName><deviceList><device><friendlyName>WAN</friendlyName><modelName>WAN</modelName><serviceList>"
        f"<service><serviceType>{SERVICE}</serviceType><controlURL>/ctl</controlURL></service></serviceList></device>"
        "</deviceList></device></root>")
ENVELOPE = '<?xml version="1.0"?><s:Envelope xmlns:s="http://schemas.xmlsoap.org/soap/envelope/"><s:Body>{}</s:Body></s:Envelope>'
FAULT = "<s:Fault><detail><UPnPError><errorCode>{}</errorCode></UPnPError></detail></s:Fault>"
mappings = {"7575": TWEAK["held"]} if "held" in TWEAK else {}
addresses = iter(TWEAK.get("addresses", []))
ENDLESS = itertools.repeat(b"<x>" + b"7" * 65536)


def answer(action, args):
    """The action's output arguments, or the UPnP error code it fails with."""
    port = args.get("NewExternalPort")
    if action == "GetStatusInfo":
        return dict(NewConnectionStatus=TWEAK.get("status", "Connected"), NewUptime="60")
    if action == "GetExternalIPAddress":
        return dict(NewExternalIPAddress=next(addresses, "203.0.113.7"))
    if action == "AddPortMapping":
        fault = TWEAK.get("fault", lambda lease: 0)(args["NewLeaseDuration"])
        if fault or mappings.get(port, args)["NewInternalClient"] != args["NewInternalClient"]:
            return fault or 718
        mappings[port] = args
        return {}
    if action == "GetSpecificPortMappingEntry" and port in mappings:
        return mappings[port]
    return {} if action == "DeletePortMapping" and mappings.pop(port, None) else 714


class Handler(http.server.BaseHTTPRequestHandler):
    def reply(self, status, body):
        self.send_response(status)
        self.end_headers()
        try:  # an endless body (a generator) until the client gives up
            for part in [body.encode()] if isinstance(body, str) else body:
                self.wfile.write(part)
        except OSError:
            pass

    def do_GET(self):
        self.reply(200, ENDLESS if TWEAK.get("endless") == "GET" else ROOT)

    def do_POST(self):  # any action, its arguments read as <NewName>value</NewName>
        body = self.rfile.read(int(self.headers["Content-Length"])).decode()
        if TWEAK.get("endless") == "POST":
            return self.reply(200, ENDLESS)
        if TWEAK.get("hang"):
            return time.sleep(60)
        action = self.headers["SOAPAction"].strip('"').rpartition("#")[2]
        result = answer(action, dict(re.findall(r"<(New\w+)>([^<]*)</\1>", body)))
        if isinstance(result, int):
            return self.reply(500, ENVELOPE.format(FAULT.format(result)))
        out = "".join(f"<{k}>{escape(v)}</{k}>" for k, v in result.items())
        self.reply(200, ENVELOPE.format(f'<u:{action}Response xmlns:u="{SERVICE}">{out}</u:{action}Response>'))


def nat_pmp(gateway):
    """NAT-PMP: 203.0.113.7; leases cut to 1800 s; any port but 7575 offered the next one."""
    while True:
        data, peer = gateway.recvfrom(64)
        internal, _, lease = struct.unpack("!HHI", data.ljust(12, b"\0")[4:12])
        if data[1]:
            print("add" if lease else "delete", internal, lease, flush=True)
        body = (struct.pack("!HHI", internal, internal + (internal != 7575), min(lease, 1800))
                if data[1] else socket.inet_aton("203.0.113.7"))
        gateway.sendto(struct.pack("!BBHI", 0, 128 + data[1], 0, 60) + body, peer)


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
threading.Thread(target=server.serve_forever, daemon=True).start()
print(server.server_address[1], flush=True)
if sys.argv[1] == "natpmp":  # the second line: whether UDP 5351 was free; if not, it ends
    gateway = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    gateway.bind(("127.0.0.1", 5351))
    threading.Thread(target=nat_pmp, args=(gateway,), daemon=True).start()
    print("natpmp ready", flush=True)
sys.stdin.read()
