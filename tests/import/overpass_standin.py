#!/usr/bin/env python3
# A local stand-in for the Overpass API, answering as the service does:
#   ok       the recorded answer
#   busy     HTTP 429, then 504, each with Retry-After: 1; then the answer
#   always   HTTP 429 every time
#   remark   200 with the answer and the remark of a query that timed out
#   slow     200, half the answer, then nothing for a minute
#   error    HTTP 400 with the service's HTML error page
#   hotspot  200 with a login page
#   empty    200 and nothing
#   cut      200 and half the answer
# It writes the port it listens on to PORT_FILE, and each request's
# User-Agent and query to QUERIES. ANSWER cameras:N is an answer of N
# cameras made up here, spread over Germany (for bench/).
#   overpass_standin.py PORT_FILE QUERIES ANSWER SCENARIO
import http.server, sys, time, urllib.parse

port_file, queries, answer, scenario = sys.argv[1:5]
requests = []


def made_up(n):
    nodes = [b'<?xml version="1.0" encoding="UTF-8"?>\n<osm version="0.6" generator="stand-in">\n']
    for i in range(n):
        lat, lon = 47.3 + (i * 7919 % n) / n * 7.7, 5.9 + (i * 104729 % n) / n * 9.1
        tags = '<tag k="highway" v="speed_camera"/>'
        tags += '<tag k="maxspeed" v="%d"/>' % (30 + 10 * (i % 10)) if i % 3 else '<tag k="name" v="Blitzer Stra&#223;e %d"/>' % i
        tags += '<tag k="direction" v="%d"/>' % (i * 37 % 360) if i % 2 else ""
        nodes.append(('  <node id="%d" lat="%.7f" lon="%.7f">%s</node>\n' % (i + 1, lat, lon, tags)).encode())
    return b"".join(nodes) + b"</osm>\n"


class Overpass(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        body = self.rfile.read(int(self.headers["Content-Length"])).decode()
        requests.append(body)
        with open(queries, "a") as out:
            out.write(self.headers["User-Agent"] + "\n" + urllib.parse.parse_qs(body)["data"][0] + "\n")
        if scenario == "always" or (scenario == "busy" and len(requests) <= 2):
            self.send_response(429 if len(requests) % 2 else 504)
            self.send_header("Retry-After", "1")
            self.end_headers()
            return
        data = made if made else open(answer, "rb").read()
        pages = {"error": (400, b'<!DOCTYPE html>\n<html><body>\n<p>The data included in this document is from www.openstreetmap.org.</p>\n'
                           b'<p><strong style="color:#FF0000">Error</strong>: runtime error: open64: 0 Success '
                           b'Dispatcher_Client::request_read_and_idx::timeout. The server is probably too busy to handle your request. </p>\n</body></html>\n'),
                 "hotspot": (200, b'<!DOCTYPE html><html><head><title>Free WiFi - Login</title></head><body>Accept</body></html>\n'),
                 "empty": (200, b""), "cut": (200, data[: len(data) // 2])}
        if scenario in pages:
            status, data = pages[scenario]
            self.send_response(status)
            self.end_headers()
            self.wfile.write(data)
            return
        if scenario == "remark":
            data = data.replace(b"</osm>", b'<remark> runtime error: Query timed out in "query" at line 9 after 301 seconds. </remark>\n</osm>')
        self.send_response(200)
        self.send_header("Content-Type", "application/osm3s+xml")
        self.end_headers()
        if scenario == "slow":
            self.wfile.write(data[: len(data) // 2])
            self.wfile.flush()
            time.sleep(60)
        self.wfile.write(data)

    def log_message(self, *args):
        pass


made = made_up(int(answer[8:])) if answer.startswith("cameras:") else None
server = http.server.HTTPServer(("127.0.0.1", 0), Overpass)
with open(port_file, "w") as out:
    out.write(str(server.server_port))
server.serve_forever()
