#!/usr/bin/env python3
"""A bare UPnP IGD client for the router tests, independent of miniupnpc.

  igd.py [-t SECONDS] discover [SECONDS] [--first]
                                     SSDP M-SEARCH; prints "LOCATION ST" for each answer and
                                     the seconds the first answer took; waits SECONDS (2), or
                                     up to the first answer with --first; exit 1 when none came
  igd.py [-t SECONDS] call URL ACTION [NAME=VALUE...]
                                     one SOAP action on the WANIPConnection service of the
                                     device whose description is at URL; prints "NAME=VALUE"
                                     lines of the answer, or "error CODE DESCRIPTION" and exits 2,
                                     or "no answer: REASON after S s" and exits 3
Every wait is bounded: -t SECONDS per HTTP exchange (5).
"""
import re
import socket
import sys
import time
import urllib.error
import urllib.parse
import urllib.request
import xml.etree.ElementTree as ET

TIMEOUT = 5


def discover(seconds, first_only=False):
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_TTL, 2)
    query = ("M-SEARCH * HTTP/1.1\r\nHOST: 239.255.255.250:1900\r\nMAN: \"ssdp:discover\"\r\n"
             "MX: 1\r\nST: urn:schemas-upnp-org:device:InternetGatewayDevice:1\r\n\r\n").encode()
    start = time.monotonic()
    sock.sendto(query, ("239.255.255.250", 1900))
    found, first = [], None
    while True:
        left = seconds - (time.monotonic() - start)
        if left <= 0:
            break
        sock.settimeout(left)
        try:
            data, _ = sock.recvfrom(4096)
        except socket.timeout:
            break
        headers = dict((k.strip().lower(), v.strip()) for k, _, v in
                       (line.partition(":") for line in data.decode(errors="replace").split("\r\n")[1:]) if k)
        if "location" in headers:
            first = first if first is not None else time.monotonic() - start
            found.append(f"{headers['location']} {headers.get('st', '')}")
            if first_only:
                break
    for line in found:
        print(line)
    if first is not None:
        print(f"first answer after {first:.3f} s")
    return 0 if found else 1


def control_url(description_url):
    with urllib.request.urlopen(description_url, timeout=TIMEOUT) as answer:
        tree = ET.fromstring(answer.read())
    for service in tree.iter():
        if not service.tag.endswith("}service"):
            continue
        fields = {child.tag.split("}")[1]: (child.text or "").strip() for child in service}
        if re.search(r":WAN(IP|PPP)Connection:\d$", fields.get("serviceType", "")):
            return urllib.parse.urljoin(description_url, fields["controlURL"]), fields["serviceType"]
    raise SystemExit("no WANIPConnection service in " + description_url)


def call(description_url, action, arguments):
    start = time.monotonic()
    try:
        return exchange(description_url, action, arguments)
    except (OSError, urllib.error.URLError) as error:  # a timeout, a refusal, no route
        reason = getattr(error, "reason", error)
        print(f"no answer: {reason or type(error).__name__} after {time.monotonic() - start:.3f} s")
        return 3


def exchange(description_url, action, arguments):
    url, service = control_url(description_url)
    body = "".join(f"<{name}>{value}</{name}>" for name, value in arguments)
    envelope = ('<?xml version="1.0"?>\r\n<s:Envelope xmlns:s="http://schemas.xmlsoap.org/soap/envelope/" '
                's:encodingStyle="http://schemas.xmlsoap.org/soap/encoding/"><s:Body>'
                f'<u:{action} xmlns:u="{service}">{body}</u:{action}></s:Body></s:Envelope>\r\n').encode()
    request = urllib.request.Request(url, envelope, {"Content-Type": 'text/xml; charset="utf-8"',
                                                     "SOAPAction": f'"{service}#{action}"'})
    try:
        with urllib.request.urlopen(request, timeout=TIMEOUT) as answer:
            tree = ET.fromstring(answer.read())
    except urllib.error.HTTPError as error:
        tree = ET.fromstring(error.read())
        code = next((e.text for e in tree.iter() if e.tag.endswith("errorCode")), "?")
        text = next((e.text for e in tree.iter() if e.tag.endswith("errorDescription")), "")
        print(f"error {code} {text}")
        return 2
    for response in tree.iter():
        if response.tag.endswith("Response"):
            for child in response:
                print(f"{child.tag.split('}')[-1]}={child.text or ''}")
    return 0


def main(argv):
    global TIMEOUT
    if len(argv) >= 3 and argv[1] == "-t":
        TIMEOUT = float(argv[2])
        argv = argv[:1] + argv[3:]
    if len(argv) >= 2 and argv[1] == "discover":
        first_only = "--first" in argv[2:]
        rest = [a for a in argv[2:] if a != "--first"]
        return discover(float(rest[0]) if rest else 2.0, first_only)
    if len(argv) >= 4 and argv[1] == "call":
        return call(argv[2], argv[3], [a.split("=", 1) for a in argv[4:]])
    print(__doc__, file=sys.stderr)
    return 64


if __name__ == "__main__":
    sys.exit(main(sys.argv))
