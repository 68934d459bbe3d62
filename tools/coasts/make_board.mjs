// Writes data/maps/standard.board.json, the board page's drawing of the standard map: each
// province's outline, cut from the land (data/maps/coasts.json) or the sea by the cells
// around its places (data/maps/standard.places), and where its name, units and coasts
// stand. Run `npm install` here first; the output is committed, so builds need no npm.
import { readFileSync, writeFileSync } from "node:fs";
import { Delaunay } from "d3-delaunay";
import polygonClipping from "polygon-clipping";

const data = (name) => new URL(`../../data/maps/${name}`, import.meta.url);
const coasts = JSON.parse(readFileSync(data("coasts.json")));
const [west, south, east, north] = coasts.bounds;

// Longitudes shrink with the cosine of the board's middle latitude.
const scale = 18;
const shrink = Math.cos((50 * Math.PI) / 180);
const project = ([lon, lat]) => [(lon - west) * shrink * scale, (north - lat) * scale];
const width = Math.round((east - west) * shrink * scale);
const height = Math.round((north - south) * scale);

const places = [];
for (const line of readFileSync(data("standard.places"), "utf8").split("\n")) {
  const words = line.replace(/#.*/, "").trim().split(/\s+/).filter(Boolean);
  if (words.length < 4) continue;
  const [name, kind, ...numbers] = words;
  const points = [];
  for (let i = 0; i + 1 < numbers.length; i += 2) points.push(project([+numbers[i], +numbers[i + 1]]));
  places.push({ name, kind, points });
}

const land = polygonClipping.union(...coasts.land.map((ring) => [[...ring.map(project), project(ring[0])]]));
const frame = [[[0, 0], [width, 0], [width, height], [0, height], [0, 0]]];
const sea = polygonClipping.difference(frame, land);

// The cells of one kind's seeds, merged per province and cut by the area given.
function outlines(kinds, area) {
  const seeds = [];
  for (const place of places) {
    if (!kinds.includes(place.kind)) continue;
    for (const point of place.points) seeds.push({ name: place.name, point });
  }
  const voronoi = Delaunay.from(seeds.map((s) => s.point)).voronoi([0, 0, width, height]);
  const cells = new Map();
  seeds.forEach((seed, i) => {
    const cell = voronoi.cellPolygon(i);
    if (!cell) return;
    if (!cells.has(seed.name)) cells.set(seed.name, []);
    cells.get(seed.name).push([cell]);
  });
  const shapes = new Map();
  for (const [name, parts] of cells) shapes.set(name, polygonClipping.intersection(area, polygonClipping.union(...parts)));
  return shapes;
}

const round = (v) => Math.round(v * 10) / 10;
// Whole pixels, each point relative to the last: a page carries the board with every game.
function path(multipolygon) {
  let d = "";
  for (const polygon of multipolygon) {
    for (const ring of polygon) {
      const points = ring.slice(0, -1).map(([x, y]) => [Math.round(x), Math.round(y)]);
      const kept = points.filter((p, i) => i === 0 || p[0] !== points[i - 1][0] || p[1] !== points[i - 1][1]);
      if (kept.length < 3) continue;
      d += `M${kept[0][0]} ${kept[0][1]}`;
      for (let i = 1; i < kept.length; i++) d += `l${kept[i][0] - kept[i - 1][0]} ${kept[i][1] - kept[i - 1][1]}`;
      d += "z";
    }
  }
  return d;
}

const board = { width, height, provinces: {}, coasts: {}, neutral: "" };
const landShapes = outlines(["land", "neutral"], land);
const seaShapes = outlines(["sea"], sea);
for (const place of places) {
  const [x, y] = place.points[0].map(round);
  if (place.kind === "coast") {
    board.coasts[place.name] = [x, y];
  } else if (place.kind === "neutral") {
    board.neutral += path(landShapes.get(place.name));
  } else {
    const shape = (place.kind === "sea" ? seaShapes : landShapes).get(place.name);
    board.provinces[place.name] = { sea: place.kind === "sea", x, y, path: path(shape) };
  }
}
writeFileSync(data("standard.board.json"), JSON.stringify(board));
console.log(`${Object.keys(board.provinces).length} provinces, ${width}x${height}`);
