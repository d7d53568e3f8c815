#!/usr/bin/env python3
"""A scripted UPnP Internet Gateway Device on 127.0.0.1, for the router tests.

  igd_server.py SCENARIO
Listens on a free TCP port that it prints as its first line; serves /rootDesc.xml and answers
the WANIPConnection:1 actions at /ctl/IPConn. Each mapping it takes or removes is one more JSON
line on stdout. It ends when its stdin closes, on SIGTERM, or after two minutes.
  normal            keeps mappings in memory with the lease asked, and lets them expire
  permanent-only    AddPortMapping with a lease other than 0 fails 725
  conflict          UDP 7575 leads to 192.168.1.77 for another program: adding it elsewhere fails 718
  refuse            AddPortMapping fails 501
  disconnected      GetStatusInfo says Disconnected
  hostile-address   GetExternalIPAddress answers "1.2.3.4 /j 6.6.6.6"
  cut-address       ... "200.200.200.2001", whose first 15 characters are another whole address
  overlong-address  ... 100 kB of digits
  empty-address     ... nothing
  markup-name       the friendlyName is markup (escaped), the modelName 10,000 characters
  hang              serves the description; the control URL accepts and never answers
  hang-description  accepts and never answers at all
  natpmp            a NAT-PMP gateway on UDP 127.0.0.1:5351 as well (its second line says
                    whether it is there): public address 203.0.113.7, leases cut to 1800 s
  natpmp-other-port ... that offers the next outside port instead of the one asked
"""
import http.server
import json
import os
import re
import signal
import socket
import struct
import sys
import threading
import time
from xml.sax.saxutils import escape

SCENARIO = sys.argv[1] if len(sys.argv) > 1 else "normal"
SERVICE = "urn:schemas-upnp-org:service:WANIPConnection:1"
ADDRESSES = {"hostile-address": "1.2.3.4 /j 6.6.6.6", "cut-address": "200.200.200.2001",
             "overlong-address": "7" * 100_000, "empty-address": ""}
NAME, MODEL = "Velkor Test Router", "IGD-1"
if SCENARIO == "markup-name":
    NAME, MODEL = "<b>Box</b><script>x</script>", "&lt;i&gt;" + "M" * 9991
released = threading.Event()  # set when the server ends: what hangs lets go
mappings = {}  # (port, protocol) -> dict of the mapping, with "until" (0: permanent)
if SCENARIO == "conflict":
    mappings[(7575, "UDP")] = dict(client="192.168.1.77", internal=7575, lease=0, until=0,
                                   description="Other Game Server")


def record(event, **fields):
    print(json.dumps(dict(event=event, **fields)), flush=True)


def service(kind, name, path):
    return (f"<service><serviceType>urn:schemas-upnp-org:service:{kind}:1</serviceType>"
            f"<serviceId>urn:upnp-org:serviceId:{name}</serviceId><controlURL>/ctl/{path}"
            f"</controlURL><eventSubURL>/evt/{path}</eventSubURL><SCPDURL>/{path}.xml</SCPDURL>"
            "</service>")


def device(kind, name, model, inner):
    return (f"<device><deviceType>urn:schemas-upnp-org:device:{kind}:1</deviceType>"
            f"<friendlyName>{escape(name)}</friendlyName><manufacturer>Velkor</manufacturer>"
            f"<modelName>{escape(model)}</modelName><UDN>uuid:{kind}</UDN>{inner}</device>")


ROOT = ('<?xml version="1.0"?>\r\n<root xmlns="urn:schemas-upnp-org:device-1-0">'
        + device("InternetGatewayDevice", NAME, MODEL,
                 "<deviceList>" + device("WANDevice", "WAN Device", "WAN",
                     "<serviceList>" + service("WANCommonInterfaceConfig", "WANCommonIFC1", "CmnIfCfg")
                     + "</serviceList><deviceList>" + device("WANConnectionDevice", "WAN Connection",
                         "WANC", "<serviceList>" + service("WANIPConnection", "WANIPConn1", "IPConn")
                         + "</serviceList>") + "</deviceList>") + "</deviceList>")
        + "</root>\r\n").encode()
SCPD = (b'<?xml version="1.0"?>\r\n<scpd xmlns="urn:schemas-upnp-org:service-1-0"><actionList/>'
        b"<serviceStateTable/></scpd>\r\n")


def answer(action, args):
    """The action's output arguments, or the UPnP error code it fails with."""
    key = (int(args.get("NewExternalPort", "0") or 0), args.get("NewProtocol", ""))
    held = mappings.get(key)
    if held and held["until"] and held["until"] <= time.monotonic():
        del mappings[key]  # the lease has run out
        held = None
    if action == "GetStatusInfo":
        status = "Disconnected" if SCENARIO == "disconnected" else "Connected"
        return dict(NewConnectionStatus=status, NewLastConnectionError="ERROR_NONE", NewUptime="60")
    if action == "GetConnectionTypeInfo":
        return dict(NewConnectionType="IP_Routed", NewPossibleConnectionTypes="IP_Routed")
    if action == "GetExternalIPAddress":
        return dict(NewExternalIPAddress=ADDRESSES.get(SCENARIO, "203.0.113.7"))
    if action == "AddPortMapping":
        lease = int(args.get("NewLeaseDuration", "0") or 0)
        if SCENARIO == "refuse":
            return 501
        if SCENARIO == "permanent-only" and lease != 0:
            return 725
        if held and held["client"] != args.get("NewInternalClient"):
            return 718
        mappings[key] = dict(client=args.get("NewInternalClient", ""), lease=lease,
                             internal=int(args.get("NewInternalPort", "0") or 0),
                             description=args.get("NewPortMappingDescription", ""),
                             until=time.monotonic() + lease if lease else 0)
        record("add", port=key[0], protocol=key[1], client=mappings[key]["client"],
               internal=mappings[key]["internal"], description=mappings[key]["description"],
               lease=lease)
        return {}
    if action == "GetSpecificPortMappingEntry":
        if not held:
            return 714
        left = max(1, round(held["until"] - time.monotonic())) if held["until"] else 0
        return dict(NewInternalPort=str(held["internal"]), NewInternalClient=held["client"],
                    NewEnabled="1", NewPortMappingDescription=held["description"],
                    NewLeaseDuration=str(left))
    if action == "DeletePortMapping":
        if not held:
            return 714
        del mappings[key]
        record("delete", port=key[0], protocol=key[1])
        return {}
    return 401


class Handler(http.server.BaseHTTPRequestHandler):
    timeout = 10  # no request waits longer for its bytes

    def reply(self, status, body, kind="text/xml; charset=\"utf-8\""):
        self.send_response(status)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def hangs(self, control):
        if SCENARIO == "hang-description" or (SCENARIO == "hang" and control):
            released.wait(60)
            return True
        return False

    def do_GET(self):
        if self.hangs(False):
            return
        if self.path == "/rootDesc.xml":
            self.reply(200, ROOT)
        elif self.path.endswith(".xml"):
            self.reply(200, SCPD)
        else:
            self.reply(404, b"not here", "text/plain")

    def do_POST(self):
        body = self.rfile.read(min(int(self.headers.get("Content-Length", "0")), 1 << 16))
        if self.hangs(True):
            return
        action = self.headers.get("SOAPAction", "").strip('"').rpartition("#")[2]
        args = dict(re.findall(rb"<(New\w+)>([^<]*)</\1>", body))
        result = answer(action, {k.decode(): v.decode() for k, v in args.items()})
        envelope = ('<?xml version="1.0"?>\r\n<s:Envelope xmlns:s="http://schemas.xmlsoap.org/'
                    'soap/envelope/" s:encodingStyle="http://schemas.xmlsoap.org/soap/encoding/">'
                    "<s:Body>{}</s:Body></s:Envelope>\r\n")
        if isinstance(result, int):
            fault = ("<s:Fault><faultcode>s:Client</faultcode><faultstring>UPnPError</faultstring>"
                     '<detail><UPnPError xmlns="urn:schemas-upnp-org:control-1-0"><errorCode>'
                     f"{result}</errorCode><errorDescription>Error</errorDescription></UPnPError>"
                     "</detail></s:Fault>")
            self.reply(500, envelope.format(fault).encode())
        else:
            out = "".join(f"<{k}>{escape(v)}</{k}>" for k, v in result.items())
            self.reply(200, envelope.format(f'<u:{action}Response xmlns:u="{SERVICE}">{out}'
                                            f"</u:{action}Response>").encode())

    def log_message(self, *args):
        pass


def nat_pmp(gateway):
    """RFC 6886 answers: the public address (opcode 0) and UDP mappings (opcode 1)."""
    gateway.settimeout(1)
    while not released.is_set():
        try:
            data, peer = gateway.recvfrom(64)
        except socket.timeout:
            continue
        epoch = int(time.monotonic()) & 0xFFFFFFFF
        if data[:2] == b"\0\0":
            gateway.sendto(struct.pack("!BBHI4s", 0, 128, 0, epoch,
                                       socket.inet_aton("203.0.113.7")), peer)
        elif len(data) >= 12 and data[:2] == b"\0\1":
            internal, outside, lease = struct.unpack("!HHI", data[4:12])
            granted = min(lease, 1800)
            if lease and SCENARIO == "natpmp-other-port":
                outside = internal + 1
            record("add" if lease else "delete", port=internal, protocol="UDP", lease=granted)
            gateway.sendto(struct.pack("!BBHIHHI", 0, 129, 0, epoch, internal,
                                       outside if lease else 0, granted), peer)


def end(*_):
    released.set()
    os._exit(0)


signal.signal(signal.SIGTERM, end)
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
threading.Thread(target=server.serve_forever, daemon=True).start()
threading.Timer(120, end).start()
print(server.server_address[1], flush=True)
if SCENARIO.startswith("natpmp"):  # a second line: whether the gateway's port was free
    try:
        gateway = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        gateway.bind(("127.0.0.1", 5351))
        threading.Thread(target=nat_pmp, args=(gateway,), daemon=True).start()
        print("natpmp ready", flush=True)
    except OSError as error:
        print(f"natpmp unavailable: {error}", flush=True)
while sys.stdin.buffer.read1(4096):
    pass
end()
