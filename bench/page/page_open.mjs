// The board page of a long game (to 1935) in headless chromium: its size, and the time from
// opening it at its last phase to that phase drawn. Targets: at most 2 MB, within a second.
// Usage: node bench/page/page_open.mjs [BUILD_DIR]
import { execFileSync } from "node:child_process";
import { mkdtempSync, rmSync, statSync } from "node:fs";
import { createRequire } from "node:module";
import { tmpdir } from "node:os";
import { join, resolve } from "node:path";

const source = resolve(new URL("../..", import.meta.url).pathname);
const build = resolve(process.argv[2] || join(source, "build"));
const { chromium } = createRequire(join(source, "tests/browser/package.json"))("playwright-core");
const work = mkdtempSync(join(tmpdir(), "quorvel-page-bench-"));
try {
  // Negotiators that never win against random players: a game with press that lasts.
  execFileSync(join(build, "quorvel-arena"), ["random", "liar", "honest", "--press", "20", "--games", "1", "--seed", "11", "--last-year", "1935", "--record", work, "--quiet",
    "--out", join(work, "r.jsonl")], { cwd: source, stdio: "ignore" });
  const page = join(work, "game-11.html");
  const bytes = statSync(page).size;
  const browser = await chromium.launch({ executablePath: "/usr/bin/chromium", args: [
    "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync"] });
  const times = [];
  let phases = 0;
  for (let i = 0; i < 5; i++) {
    const tab = await browser.newPage({ viewport: { width: 1400, height: 900 } });
    const start = performance.now();
    await tab.goto("file://" + page + "#COMPLETED");
    await tab.waitForSelector("body[data-ready='1']");
    // Drawn: the frame after the script ran has been painted.
    await tab.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
    times.push(performance.now() - start);
    phases = await tab.evaluate(() => document.getElementById("phase-name").textContent);
    await tab.close();
  }
  await browser.close();
  times.sort((a, b) => a - b);
  const median = times[Math.floor(times.length / 2)];
  console.log(`page of a game to 1935: ${(bytes / 1e6).toFixed(2)} MB; last phase drawn in ${median.toFixed(0)} ms (median of 5; ${phases})`);
  if (bytes > 2e6 || median > 1000) process.exitCode = 1;
} finally {
  rmSync(work, { recursive: true, force: true });
}
