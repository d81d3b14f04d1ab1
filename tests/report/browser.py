#!/usr/bin/env python3
"""Opens a report page from its file in Debian's chromium, headless, through
chromedriver (WebDriver, spoken with the standard library), and prints what
the scripts drew as JSON: the track's paths and their points, the markers,
the table's rows, the browser's console and every request the page made.
Saves a screenshot.
    browser.py PAGE.html SCREENSHOT.png WIDTH,HEIGHT
"""
import base64, json, os, socket, subprocess, sys, tempfile, time, urllib.request

page, shot, size = sys.argv[1], sys.argv[2], sys.argv[3]
with socket.socket() as s:
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
driver = subprocess.Popen(["chromedriver", f"--port={port}"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def call(method, path, body=None):
    data = None if body is None else json.dumps(body).encode()
    req = urllib.request.Request(f"http://127.0.0.1:{port}{path}", data=data, method=method,
                                 headers={"Content-Type": "application/json"})
    with urllib.request.urlopen(req, timeout=60) as r:
        return json.load(r)["value"]


try:
    for _ in range(100):
        try:
            call("GET", "/status")
            break
        except OSError:
            time.sleep(0.1)
    profile = tempfile.mkdtemp()
    # No name resolves: the browser's own background calls go nowhere.
    args = ["--headless", "--no-sandbox", "--disable-gpu", f"--user-data-dir={profile}", f"--window-size={size}",
            "--no-first-run", "--disable-background-networking", "--disable-component-update", "--disable-sync",
            "--host-resolver-rules=MAP * ~NOTFOUND"]
    session = call("POST", "/session", {"capabilities": {"alwaysMatch": {
        "goog:chromeOptions": {"binary": "/usr/bin/chromium", "args": args},
        "goog:loggingPrefs": {"browser": "ALL", "performance": "ALL"}}}})["sessionId"]
    base = f"/session/{session}"
    url = "file://" + os.path.abspath(page)
    call("POST", base + "/url", {"url": url})
    drawn = call("POST", base + "/execute/sync", {"args": [], "script": """
        const q = s => [...document.querySelectorAll(s)];
        return {
          paths: q('#map path.track').map(p => ({points: +p.dataset.points,
                                                  drawn: (p.getAttribute('d').match(/[ML]/g) || []).length})),
          warnings: q('#map circle.warning').length,
          pois: q('#map rect.poi').length,
          rows: q('#warnings tbody tr[data-row]').length,
          speed: q('#speed path.speed').length,
          sections: q('#map path.section').length,
          resources: performance.getEntriesByType('resource').map(e => e.name)};"""})
    console = call("POST", base + "/se/log", {"type": "browser"})
    requests = [json.loads(e["message"])["message"] for e in call("POST", base + "/se/log", {"type": "performance"})]
    drawn["console"] = [e["message"] for e in console]
    # The page's own requests (the browser's start page before it has its own).
    drawn["requests"] = [m["params"]["request"]["url"] for m in requests
                         if m["method"] == "Network.requestWillBeSent" and m["params"].get("documentURL") == url]
    with open(shot, "wb") as f:
        f.write(base64.b64decode(call("GET", base + "/screenshot")))
    call("DELETE", base)
    print(json.dumps(drawn))
finally:
    driver.terminate()
