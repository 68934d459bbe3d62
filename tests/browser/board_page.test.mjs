// The board pages in a real browser: pages of real games (ours and the field's engine's)
// are opened in headless chromium and what they draw is checked against the saved games.
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync, spawn } from "node:child_process";
import { copyFileSync, mkdirSync, mkdtempSync, readFileSync, readdirSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { chromium } from "playwright-core";

const source = process.env.QUORVEL_SOURCE_DIR;
const build = process.env.QUORVEL_BUILD_DIR;
const screenshots = process.env.QUORVEL_SCREENSHOTS;
const work = mkdtempSync(join(tmpdir(), "quorvel-browser-"));
let browser;

// The flags a closed network wants: no background connections, no first-run page.
export const chromiumFlags = [
  "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
  "--disable-background-networking", "--disable-component-update", "--disable-sync",
];

before(async () => {
  browser = await chromium.launch({ executablePath: "/usr/bin/chromium", args: chromiumFlags });
});
after(async () => {
  await browser?.close();
  rmSync(work, { recursive: true, force: true });
});

function run(program, args, options = {}) {
  return execFileSync(program, args, { cwd: source, stdio: ["ignore", "pipe", "pipe"], ...options });
}

// What a phase of the saved game says the page must show.
function expected(game, phase) {
  const units = [];
  for (const [power, list] of Object.entries(phase.state.units)) {
    for (let unit of list) {
      const dislodged = unit.startsWith("*");
      if (dislodged) unit = unit.slice(1);
      units.push(`${power} ${unit}${dislodged ? " dislodged" : ""}`);
    }
  }
  const results = phase.results || {};
  let orders = 0;
  let failed = 0;
  const ordered = new Set();
  for (const list of Object.values(phase.orders || {})) {
    for (const order of list || []) {
      orders++;
      const unit = order === "WAIVE" ? "WAIVE" : order.split(" ").slice(0, 2).join(" ");
      ordered.add(unit);
      const words = (results[unit] || []).filter((word) => word !== "" && word !== "dislodged");
      if (words.length && !order.endsWith(" D")) failed++;
    }
  }
  // A unit the rules disbanded without an order is drawn as removed.
  for (const [unit, words] of Object.entries(results)) {
    if (words.includes("disband") && unit !== "WAIVE" && !ordered.has(unit)) orders++;
  }
  let press = 0;
  let last = null;
  for (const message of phase.messages || []) {
    if (!last || last.sender !== message.sender || last.message !== message.message) press++;
    last = message;
  }
  return { units: units.sort(), orders, failed, press };
}

async function drawn(page) {
  return page.evaluate(() => ({
    phase: document.getElementById("phase-name").textContent,
    units: [...document.querySelectorAll("#units g.unit")]
      .map((g) => `${g.dataset.power} ${g.dataset.type} ${g.dataset.place}${g.classList.contains("dislodged") ? " dislodged" : ""}`)
      .sort(),
    orders: document.querySelectorAll("#orders-drawn g.order").length,
    failed: document.querySelectorAll('#orders-drawn g.order[data-failed="1"]').length,
    press: document.querySelectorAll("#press li.press").length,
  }));
}

// Opens the page and steps through every phase with the arrow key, checking each.
async function checkPage(path, savedPath, shot) {
  const page = await browser.newPage({ viewport: { width: 1400, height: 900 } });
  const problems = [];
  page.on("pageerror", (error) => problems.push(error.message));
  page.on("request", (request) => {
    if (!request.url().startsWith("file:")) problems.push("asked the network for " + request.url());
  });
  await page.goto("file://" + path);
  await page.waitForSelector("body[data-ready='1']");
  const seen = await walk(page, savedPath, shot);
  assert.deepEqual(problems, []);
  await page.close();
  return seen;
}

// From the first phase to the last, each drawn as the saved game says.
async function walk(page, savedPath, shot) {
  const game = JSON.parse(readFileSync(savedPath, "utf8"));
  await page.keyboard.press("Home");
  let press = 0;
  for (let i = 0; i < game.phases.length; i++) {
    const want = expected(game, game.phases[i]);
    const got = await drawn(page);
    assert.ok(got.phase.includes(`(${i + 1} of ${game.phases.length})`), got.phase);
    assert.deepEqual(got.units, want.units, `${savedPath} ${game.phases[i].name}: units`);
    assert.equal(got.orders, want.orders, `${savedPath} ${game.phases[i].name}: an arrow per order`);
    assert.equal(got.failed, want.failed, `${savedPath} ${game.phases[i].name}: failed orders`);
    assert.equal(got.press, want.press, `${savedPath} ${game.phases[i].name}: press`);
    press += got.press;
    if (shot && game.phases[i].name === shot.phase) await page.screenshot({ path: shot.file });
    await page.keyboard.press("ArrowRight");
  }
  // The keys and the slider take the watcher anywhere.
  await page.keyboard.press("Home");
  assert.ok((await drawn(page)).phase.includes("(1 of"));
  await page.keyboard.press("End");
  assert.ok((await drawn(page)).phase.includes(`(${game.phases.length} of`));
  await page.keyboard.press("ArrowLeft");
  assert.ok((await drawn(page)).phase.includes(`(${game.phases.length - 1} of`));
  await page.click("#first");
  assert.ok((await drawn(page)).phase.includes("(1 of"));
  return { phases: game.phases.length, press };
}

function screenshot(name, phase) {
  return screenshots ? { file: join(screenshots, name), phase } : null;
}

test("the field's engine's games", async () => {
  for (const sample of ["standard-seven-rule-players.json", "france-austria-random.json"]) {
    const saved = join(work, sample);
    copyFileSync(join(source, "tests/savedgame/data", sample), saved);
    run(join(build, "quorvel-view"), [saved]);
    const seen = await checkPage(saved.replace(/\.json$/, ".html"), saved, null);
    assert.ok(seen.phases > 20);
  }
});

test("an arena game with press, and one on a variant map", async () => {
  const dir = join(work, "arena");
  mkdirSync(dir);
  run(join(build, "quorvel-arena"), ["quorvel:data/Quorvel.ini", "honest", "liar", "--press", "20",
    "--games", "1", "--seed", "3", "--last-year", "1905", "--record", dir, "--quiet", "--out", join(dir, "r.jsonl")]);
  const press = await checkPage(join(dir, "game-3.html"), join(dir, "game-3.json"), screenshot("board-page-press.png", "F1902M"));
  assert.ok(press.press > 0, "press is shown");

  const variant = join(work, "variant");
  mkdirSync(variant);
  run(join(build, "quorvel-arena"), ["quorvel:data/Quorvel.ini", "greedy", "--map", "data/maps/west.map",
    "--games", "1", "--seed", "2", "--last-year", "1906", "--record", variant, "--quiet", "--out", join(variant, "r.jsonl")]);
  await checkPage(join(variant, "game-2.html"), join(variant, "game-2.json"), null);
});

test("a whole game of make play", async () => {
  const games = join(work, "games");
  run(join(source, "tools/play.sh"), [], {
    env: { ...process.env, GAMES: games, BUILD: build, QUORVEL: "7", LAST_YEAR: "1904", SETTINGS: "" },
  });
  const [folder] = readdirSync(games).filter((name) => /^\d{8}-\d{6}/.test(name));
  const dir = join(games, folder);
  await checkPage(join(dir, "game.html"), join(dir, "game.json"), screenshot("board-page.png", "F1903M"));
});

test("the live page follows a running game to its end", async () => {
  const dir = join(work, "live");
  mkdirSync(dir);
  // One seat for a player that never orders: each phase lasts its second, then the
  // server's honest players go on negotiating and ordering.
  const server = spawn(join(build, "quorvel-server"), ["-p0", "-o1", "-khonest", "-l20", "-y1903",
    "-m1", "-r1", "-b1", "-w0", "-j" + join(dir, "game.json"), "-g" + join(dir, "game.txt")], { cwd: dir });
  let output = "";
  server.stdout.on("data", (data) => { output += data; });
  const ended = new Promise((resolve) => server.on("exit", resolve));
  let address = null;
  for (let i = 0; i < 200 && !address; i++) {
    address = /listening on port (\d+)\n.*watch the game at (\S+)/.exec(output);
    if (!address) await new Promise((resolve) => setTimeout(resolve, 50));
  }
  assert.ok(address, output);
  const [, port, url] = address;
  const idle = spawn(join(build, "tests", "quorvel-idle-player"), [port]);
  try {
    const page = await browser.newPage({ viewport: { width: 1400, height: 900 } });
    const problems = [];
    page.on("pageerror", (error) => problems.push(error.message));
    await page.goto(url);
    await page.waitForFunction(() => document.querySelectorAll("#units g.unit").length > 0);
    const shownFirst = (await drawn(page)).phase;
    // While it runs the game is there for scripts, and nobody's press is.
    const running = await (await fetch(url + "game.json")).json();
    assert.ok(running.phases.length >= 1);
    for (const phase of running.phases) {
      assert.deepEqual(phase.messages, []);
      assert.equal(phase.state.note, "");
    }
    await page.waitForFunction(() => document.getElementById("live-state").textContent === "the game has ended",
      null, { timeout: 120000 });
    const saved = JSON.parse(readFileSync(join(dir, "game.json"), "utf8"));
    const last = (await drawn(page)).phase;
    assert.ok(last.includes(`(${saved.phases.length} of ${saved.phases.length})`), `${shownFirst} then ${last}`);
    assert.notEqual(shownFirst, last);
    // Its end shows everything: the press too, phase by phase as the file has it.
    const seen = await walk(page, join(dir, "game.json"), null);
    assert.ok(seen.press > 0);
    assert.deepEqual(problems, []);
    await page.close();
  } finally {
    idle.kill();
    await ended;
  }
});
