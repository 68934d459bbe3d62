// Writes data/maps/coasts.json: the land of Europe and around it, as rings of
// [longitude, latitude], cut to the board's bounds. The board page draws its provinces on
// it. Run `npm install` here first; the output is committed, so builds need no npm.
import { readFileSync, writeFileSync } from "node:fs";
import polygonClipping from "polygon-clipping";
import { feature } from "topojson-client";

const [west, south, east, north] = [-32, 27, 47, 73];
const topology = JSON.parse(
  readFileSync(new URL("./node_modules/world-atlas/land-50m.json", import.meta.url)),
);
const land = feature(topology, topology.objects.land);

// Points closer than this to the last one kept add nothing a board shows.
function thin(ring, step) {
  const kept = [];
  for (const point of ring) {
    const last = kept[kept.length - 1];
    if (!last || Math.hypot(point[0] - last[0], point[1] - last[1]) >= step) kept.push(point);
  }
  return kept.map(([x, y]) => [Math.round(x * 100) / 100, Math.round(y * 100) / 100]);
}

const geometry = land.features ? land.features[0].geometry : land.geometry;
const frame = [[[west, south], [east, south], [east, north], [west, north], [west, south]]];
// One land mass at a time: the whole world at once trips the clipping up.
const rings = [];
// A ring that crosses the antimeridian (Eurasia, whose far east lies past it) has its
// eastern tip moved east of 180 degrees: else its edges back across the whole world would
// draw a band of land through the board.
function unwrap(ring) {
  const crosses = ring.some(([lon]) => lon > 170) && ring.some(([lon]) => lon < -170);
  return crosses ? ring.map(([lon, lat]) => [lon < -160 ? lon + 360 : lon, lat]) : ring;
}
const unwrapped = geometry.coordinates.map((mass) => mass.map(unwrap));
for (const mass of unwrapped) {
  const outer = mass[0];
  const lons = outer.map((p) => p[0]);
  const lats = outer.map((p) => p[1]);
  if (Math.max(...lons) < west || Math.min(...lons) > east) continue;
  if (Math.max(...lats) < south || Math.min(...lats) > north) continue;
  for (const polygon of polygonClipping.intersection([mass], frame)) {
    for (const ring of polygon) {
      const kept = thin(ring.slice(0, -1), 0.12);
      if (kept.length >= 3) rings.push(kept);
    }
  }
}
const output = {
  source: "Natural Earth 1:50m land, public domain, through the world-atlas package",
  bounds: [west, south, east, north],
  land: rings,
};
writeFileSync(new URL("../../data/maps/coasts.json", import.meta.url), JSON.stringify(output));
console.log(`${rings.length} rings, ${rings.reduce((n, r) => n + r.length, 0)} points`);
