#!/usr/bin/env python3
"""Opens the sample pages in headless Chromium: no page may be wider than a 1024-pixel window, none
may hold a script or reach outside its file, and a screenshot of each is kept beside them.

usage: check_pages.py <page_samples program> <folder for the pages and pictures>"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

WIDTH = 1024
PAGES = ["statistics.html", "report.html"]
# The wrapper is the checker's own page: it measures the page inside a 1024-pixel frame. The
# pages themselves never run a script.
WRAPPER = """<!DOCTYPE html><html><body style="margin:0">
<iframe id="f" src="%s" style="border:0;width:%dpx;height:768px"></iframe>
<pre id="out">pending</pre>
<script>
document.getElementById('f').onload = function () {
  var d = this.contentDocument, widest = 0, what = '';
  d.querySelectorAll('*').forEach(function (e) {
    var r = e.getBoundingClientRect().right;
    if (r > widest) { widest = r; what = e.tagName + ' ' + (e.textContent || '').slice(0, 40); }
  });
  document.getElementById('out').textContent = JSON.stringify({
    scrollWidth: d.documentElement.scrollWidth, widest: widest, widestElement: what,
    scripts: d.querySelectorAll('script').length,
    outside: Array.prototype.map.call(d.querySelectorAll('[src],[href],link'), function (e) { return e.outerHTML; })
  });
};
</script></body></html>"""


def chromium():
    for name in ("chromium", "chromium-browser"):
        path = shutil.which(name)
        if path:
            return path
    sys.exit("check_pages: chromium is missing (scripts/setup installs it)")


def run_browser(browser, profile, *arguments):
    command = [browser, "--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
               "--disable-component-update", "--disable-sync", "--no-first-run", "--user-data-dir=" + profile,
               *arguments]
    return subprocess.run(command, capture_output=True, text=True, timeout=120)


def main():
    program, folder = sys.argv[1], os.path.abspath(sys.argv[2])
    os.makedirs(folder, exist_ok=True)
    subprocess.run([program, folder], check=True)
    browser = chromium()
    failures = []
    for page in PAGES:
        path = os.path.join(folder, page)
        with open(path, "rb") as f:
            text = f.read().decode("utf-8", errors="replace")
        if re.search(r"<script", text, re.IGNORECASE):
            failures.append(page + ": holds a script")
        if re.search(r"(https?:|ftp:|\b(?:src|href|action)\s*=|url\(|@import)", text, re.IGNORECASE):
            failures.append(page + ": names an address outside the file")
        with tempfile.TemporaryDirectory() as profile:
            wrapper = os.path.join(folder, "measure-" + page)
            with open(wrapper, "w") as f:
                f.write(WRAPPER % (page, WIDTH))
            result = run_browser(browser, profile, "--allow-file-access-from-files", "--virtual-time-budget=10000",
                                 "--dump-dom", "file://" + wrapper)
            os.remove(wrapper)
        found = re.search(r'<pre id="out">(.*?)</pre>', result.stdout, re.DOTALL)
        if not found or found.group(1) == "pending":
            failures.append(page + ": the browser did not measure it: " + result.stderr[-400:])
            continue
        measured = json.loads(found.group(1).replace("&amp;", "&").replace("&lt;", "<").replace("&gt;", ">"))
        print(page, json.dumps(measured))
        if measured["scrollWidth"] > WIDTH or measured["widest"] > WIDTH:
            failures.append("%s: %s pixels wide (%s)" % (page, max(measured["scrollWidth"], measured["widest"]),
                                                         measured["widestElement"]))
        if measured["scripts"] or measured["outside"]:
            failures.append(page + ": scripts or outside addresses in the browser's view: " + str(measured))
        with tempfile.TemporaryDirectory() as profile:
            picture = os.path.join(folder, page.replace(".html", ".png"))
            run_browser(browser, profile, "--hide-scrollbars", "--window-size=%d,1400" % WIDTH,
                        "--screenshot=" + picture, "file://" + path)
            if not os.path.exists(picture) or os.path.getsize(picture) == 0:
                failures.append(page + ": no screenshot")
    for failure in failures:
        print("FAILED:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
