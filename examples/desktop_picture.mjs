#!/usr/bin/env node
// The wallpaper as a desktop shows it, for the demo: an installed wallpaper page (or the
// installer's preview movie) played by Ruffle, a Flash player compiled to WebAssembly, in
// Debian's headless Chromium, and a few frames of it kept as pictures.
//
//   desktop_picture.mjs check
//       prints the Chromium and Ruffle versions; exit 77 with the reason when either is missing
//   desktop_picture.mjs desktop WALLPAPER_ROOT NAME OUT
//       WALLPAPER_ROOT is an installed Web\Wallpaper folder; NAME.html and "NAME dir" are
//       copied from it, Ruffle is put into the copy of the page, and the copy is served from
//       127.0.0.1 and shown at 800 x 600 and at 1024 x 768
//   desktop_picture.mjs preview MOVIE OUT
//       the movie alone in the installer's 350 x 150 preview area, scaled to fit as the
//       preview panel sets the Flash control (show all)
//
// OUT receives NAME-WxH-K.png (the frames), the same as 24-bit .bmp for the demo's driver,
// and frames.txt: one line "W H file.bmp" per frame. Exit 0 when the movie loaded and played
// (an animated movie changed between frames), 1 with the reason on the last line of stderr
// when it did not (Ruffle's load error, a file the page names that the folder does not have,
// a movie that does not move), 77 when Chromium or Ruffle is not installed (./dev setup).
// Nothing is written into WALLPAPER_ROOT or next to MOVIE: the copies live in a temporary
// folder, removed at the end, as is Chromium's profile.
import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import path from "node:path";
import zlib from "node:zlib";
import { createRequire } from "node:module";
import { fileURLToPath } from "node:url";

const here = path.dirname(fileURLToPath(import.meta.url));
const modules = process.env.VELUMAR_BROWSER_MODULES ||
    path.join(here, "..", "build", "browser", "node_modules");
const chromiumPath = process.env.VELUMAR_CHROMIUM || "/usr/bin/chromium";
// The flags this machine's Chromium needs: no sandbox as root, no GPU, and none of the
// background connections that a closed network refuses.
const chromiumFlags = [
    "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
    "--autoplay-policy=no-user-gesture-required",
];
const desktopSizes = [[800, 600], [1024, 768]];
const previewSize = [350, 150];
const frameCount = 4;
const loadTimeoutMs = 30000;
const ruffleRoute = "/__velumar_ruffle/";
const skipCode = 77;

class Failure extends Error {}
class Skip extends Error {}

function say(line) {
    process.stdout.write(line + "\n");
}

// --- what is installed ---------------------------------------------------------------------

function ruffleFolder() {
    const folder = path.join(modules, "@ruffle-rs", "ruffle");
    if (!fs.existsSync(path.join(folder, "ruffle.js")))
        throw new Skip(`Ruffle is not installed (no ${folder}/ruffle.js; run ./dev setup)`);
    return folder;
}

function ruffleVersion() {
    return JSON.parse(fs.readFileSync(path.join(ruffleFolder(), "package.json"), "utf8")).version;
}

function playwright() {
    const entry = path.join(modules, "playwright-core");
    if (!fs.existsSync(path.join(entry, "package.json")))
        throw new Skip(`playwright-core is not installed (no ${entry}; run ./dev setup)`);
    if (!fs.existsSync(chromiumPath))
        throw new Skip(`Chromium is not installed (no ${chromiumPath}; ./dev setup installs ` +
            "Debian's chromium where it can)");
    return createRequire(import.meta.url)(entry);
}

// --- pictures --------------------------------------------------------------------------------

// The pixels of an 8-bit RGB or RGBA PNG without interlacing (what Chromium writes), as RGB.
function decodePng(png) {
    let at = 8;
    let width = 0, height = 0, channels = 0;
    const data = [];
    while (at + 8 <= png.length) {
        const length = png.readUInt32BE(at);
        const type = png.toString("latin1", at + 4, at + 8);
        const body = png.subarray(at + 8, at + 8 + length);
        if (type === "IHDR") {
            width = body.readUInt32BE(0);
            height = body.readUInt32BE(4);
            const [depth, colour, , , interlace] = body.subarray(8, 13);
            channels = { 2: 3, 6: 4 }[colour] || 0;
            if (depth !== 8 || !channels || interlace) throw new Error("unexpected PNG format");
        } else if (type === "IDAT") {
            data.push(body);
        }
        at += 12 + length;
    }
    const raw = zlib.inflateSync(Buffer.concat(data));
    const stride = width * channels;
    const pixels = Buffer.alloc(stride * height);
    for (let y = 0; y < height; ++y) {
        const filter = raw[y * (stride + 1)];
        const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
        for (let x = 0; x < stride; ++x) {
            const left = x >= channels ? pixels[y * stride + x - channels] : 0;
            const up = y > 0 ? pixels[(y - 1) * stride + x] : 0;
            const upLeft = y > 0 && x >= channels ? pixels[(y - 1) * stride + x - channels] : 0;
            let value = line[x];
            if (filter === 1) value += left;
            else if (filter === 2) value += up;
            else if (filter === 3) value += (left + up) >> 1;
            else if (filter === 4) {
                const p = left + up - upLeft;
                const pa = Math.abs(p - left), pb = Math.abs(p - up), pc = Math.abs(p - upLeft);
                value += pa <= pb && pa <= pc ? left : pb <= pc ? up : upLeft;
            }
            pixels[y * stride + x] = value & 0xff;
        }
    }
    const rgb = Buffer.alloc(width * height * 3);
    for (let i = 0; i < width * height; ++i)
        pixels.copy(rgb, i * 3, i * channels, i * channels + 3);
    return { width, height, rgb };
}

// A 24-bit bottom-up BMP, the simplest picture a Windows program reads.
function encodeBmp({ width, height, rgb }) {
    const stride = (width * 3 + 3) & ~3;
    const bmp = Buffer.alloc(54 + stride * height);
    bmp.write("BM", 0, "latin1");
    bmp.writeUInt32LE(bmp.length, 2);
    bmp.writeUInt32LE(54, 10);
    bmp.writeUInt32LE(40, 14);
    bmp.writeInt32LE(width, 18);
    bmp.writeInt32LE(height, 22);
    bmp.writeUInt16LE(1, 26);
    bmp.writeUInt16LE(24, 28);
    bmp.writeUInt32LE(stride * height, 34);
    for (let y = 0; y < height; ++y) {
        const row = 54 + (height - 1 - y) * stride;
        for (let x = 0; x < width; ++x) {
            const from = (y * width + x) * 3;
            bmp[row + x * 3] = rgb[from + 2];
            bmp[row + x * 3 + 1] = rgb[from + 1];
            bmp[row + x * 3 + 2] = rgb[from];
        }
    }
    return bmp;
}

function changedPixels(a, b) {
    let changed = 0;
    for (let i = 0; i < a.rgb.length; i += 3)
        if (a.rgb[i] !== b.rgb[i] || a.rgb[i + 1] !== b.rgb[i + 1] || a.rgb[i + 2] !== b.rgb[i + 2])
            ++changed;
    return changed;
}

// --- the local server ------------------------------------------------------------------------

const contentTypes = {
    ".html": "text/html", ".htm": "text/html", ".swf": "application/x-shockwave-flash",
    ".js": "text/javascript", ".wasm": "application/wasm", ".css": "text/css",
    ".jpg": "image/jpeg", ".jpeg": "image/jpeg", ".gif": "image/gif", ".png": "image/png",
    ".bmp": "image/bmp", ".txt": "text/plain", ".xml": "text/xml",
};

// A path under root found as Windows finds it, without regard to ASCII case; null when a
// part is missing or the path would leave root.
function findCaseInsensitive(root, relative) {
    let current = root;
    for (const part of relative.split("/").filter(Boolean)) {
        if (part === "." || part === "..") return null;
        let entries;
        try {
            entries = fs.readdirSync(current);
        } catch {
            return null;
        }
        const match = entries.find((entry) => entry === part) ||
            entries.find((entry) => entry.toLowerCase() === part.toLowerCase());
        if (!match) return null;
        current = path.join(current, match);
        // The copy holds what the installer wrote; a link would lead out of it.
        if (fs.lstatSync(current).isSymbolicLink()) return null;
    }
    return current;
}

// Serves the copy in `root` and Ruffle's files, on 127.0.0.1 only; remembers every request it
// could not answer.
async function startServer(root, ruffle) {
    const missing = [];
    const server = http.createServer((request, response) => {
        let wanted;
        try {
            wanted = decodeURIComponent(new URL(request.url, "http://127.0.0.1").pathname);
        } catch {
            wanted = request.url;
        }
        let file = null;
        if (wanted.startsWith(ruffleRoute)) {
            const name = wanted.slice(ruffleRoute.length);
            if (!name.includes("/") && fs.existsSync(path.join(ruffle, name)))
                file = path.join(ruffle, name);
        } else {
            file = findCaseInsensitive(root, wanted);
        }
        if (!file || !fs.statSync(file).isFile()) {
            if (wanted !== "/favicon.ico") missing.push(wanted);
            response.writeHead(404, { "Content-Type": "text/plain" });
            response.end("not found");
            return;
        }
        response.writeHead(200, {
            "Content-Type": contentTypes[path.extname(file).toLowerCase()] ||
                "application/octet-stream",
            "Cache-Control": "no-store",
        });
        fs.createReadStream(file).pipe(response);
    });
    await new Promise((resolve, reject) => {
        server.once("error", reject);
        server.listen(0, "127.0.0.1", resolve);
    });
    return { server, missing, origin: `http://127.0.0.1:${server.address().port}` };
}

// --- Ruffle in a copy of the page --------------------------------------------------------------

const ruffleConfig = {
    publicPath: ruffleRoute,
    autoplay: "on",
    unmuteOverlay: "hidden",
    splashScreen: false,
    contextMenu: "off",
    letterbox: "off",
    warnOnUnsupportedContent: false,
    showSwfDownload: false,
    openUrlMode: "deny",
    logLevel: "warn",
};

// The page's bytes with Ruffle's script in its head: the page's own encoding is kept, as
// only ASCII is inserted.
function withRuffle(page) {
    const text = page.toString("latin1");
    const script = `<script>window.RufflePlayer = window.RufflePlayer || {}; ` +
        `window.RufflePlayer.config = ${JSON.stringify(ruffleConfig)};</script>` +
        `<script src="${ruffleRoute}ruffle.js"></script>`;
    const head = /<head[^>]*>/i.exec(text) || /<html[^>]*>/i.exec(text);
    const at = head ? head.index + head[0].length : 0;
    return Buffer.from(text.slice(0, at) + script + text.slice(at), "latin1");
}

function copyTree(from, to) {
    fs.cpSync(from, to, { recursive: true, dereference: false, verbatimSymlinks: true });
}

// In the page: the first Ruffle player and what it says of its movie, or its error.
function playerState() {
    const players = [...document.querySelectorAll("ruffle-object, ruffle-embed, ruffle-player")];
    if (players.length === 0) return { found: false };
    const player = players[0];
    const panic = player.shadowRoot &&
        (player.shadowRoot.querySelector("#panic-body") || player.shadowRoot.querySelector("#panic"));
    const api = typeof player.ruffle === "function" ? player.ruffle() : player;
    const metadata = api.metadata;
    return {
        found: true,
        panic: panic ? panic.innerText.replace(/\s+/g, " ").trim() : null,
        readyState: api.readyState,
        metadata: metadata ? {
            width: metadata.width, height: metadata.height, frameRate: metadata.frameRate,
            numFrames: metadata.numFrames, swfVersion: metadata.swfVersion,
            backgroundColor: metadata.backgroundColor,
        } : null,
    };
}

function describeMovie(metadata) {
    return `${metadata.width} x ${metadata.height}, ${metadata.numFrames} frames at ` +
        `${metadata.frameRate} fps, SWF version ${metadata.swfVersion}`;
}

// Loads url at the viewport's size, waits for the movie, takes the frames.
async function takeFrames(context, server, url, [width, height], label, out) {
    const page = await context.newPage();
    const consoleErrors = [];
    page.on("console", (message) => {
        if (message.type() === "error") consoleErrors.push(message.text());
    });
    page.on("pageerror", (error) => consoleErrors.push(String(error)));
    // Only the local server is reached: what the page asks of the network is refused.
    await page.route("**/*", (route) =>
        route.request().url().startsWith(server.origin + "/") ? route.continue() : route.abort());
    await page.setViewportSize({ width, height });
    await page.goto(url, { waitUntil: "load", timeout: loadTimeoutMs });

    const deadline = Date.now() + loadTimeoutMs;
    let state = { found: false };
    while (Date.now() < deadline) {
        state = await page.evaluate(playerState);
        if (state.panic || server.missing.length || (state.found && state.readyState === 2)) break;
        await page.waitForTimeout(100);
    }
    const why = () => (consoleErrors.length ? ` (the console: ${consoleErrors[0]})` : "");
    if (server.missing.length) {
        throw new Failure(`the page asks for ${server.missing.map((m) => `"${m}"`).join(", ")}, ` +
            "which the installed files do not have (404)");
    }
    if (state.panic) throw new Failure(`Ruffle could not play the movie: ${state.panic}`);
    if (!state.found)
        throw new Failure(`the page shows no Flash movie that Ruffle found${why()}`);
    if (state.readyState !== 2 || !state.metadata)
        throw new Failure(`the movie did not load within ${loadTimeoutMs / 1000} s${why()}`);

    const metadata = state.metadata;
    // The frames spread over one pass of the movie, within a few seconds.
    const passMs = (metadata.numFrames / Math.max(metadata.frameRate, 1)) * 1000;
    const intervalMs = Math.round(Math.min(1500, Math.max(250, passMs / frameCount)));
    await page.waitForTimeout(200);
    const frames = [];
    const started = Date.now();
    for (let k = 1; k <= frameCount; ++k) {
        if (k > 1) await page.waitForTimeout(intervalMs);
        const png = await page.screenshot({ type: "png" });
        const base = `${label}-${width}x${height}-${k}`;
        fs.writeFileSync(path.join(out, base + ".png"), png);
        const picture = decodePng(png);
        fs.writeFileSync(path.join(out, base + ".bmp"), encodeBmp(picture));
        frames.push({ base, picture });
    }
    const elapsed = Date.now() - started;
    const after = await page.evaluate(playerState);
    await page.close();
    if (server.missing.length) {
        throw new Failure(`the movie asks for ${server.missing.map((m) => `"${m}"`).join(", ")}, ` +
            "which the installed files do not have (404)");
    }
    if (after.panic) throw new Failure(`Ruffle stopped the movie: ${after.panic}`);
    let changes = 0;
    for (let k = 1; k < frames.length; ++k)
        if (changedPixels(frames[k - 1].picture, frames[k].picture) > 0) ++changes;
    if (metadata.numFrames > 1 && changes === 0) {
        throw new Failure(`the movie (${describeMovie(metadata)}) did not change over ` +
            `${frameCount} frames taken ${intervalMs} ms apart: it is not playing`);
    }
    say(`    ${width} x ${height}: the movie ${describeMovie(metadata)}; ${frameCount} frames ` +
        `in ${elapsed} ms, ${changes} of ${frameCount - 1} changes between them`);
    return frames.map(({ base }) => `${width} ${height} ${base}.bmp`);
}

async function withBrowser(work) {
    const { chromium } = playwright();
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), "velumar-chromium-"));
    let context;
    try {
        context = await chromium.launchPersistentContext(profile, {
            executablePath: chromiumPath, headless: true, args: chromiumFlags,
            chromiumSandbox: false, deviceScaleFactor: 1,
        });
        const browser = context.browser();
        if (browser) say(`    Chromium ${browser.version()}`);
        return await work(context);
    } finally {
        if (context) await context.close();
        fs.rmSync(profile, { recursive: true, force: true });
    }
}

async function render(stage, pageName, sizes, label, out) {
    const server = await startServer(stage, ruffleFolder());
    try {
        fs.mkdirSync(out, { recursive: true });
        const url = `${server.origin}/${encodeURIComponent(pageName)}`;
        const lines = await withBrowser(async (context) => {
            const all = [];
            for (const size of sizes) {
                server.missing.length = 0;
                all.push(...(await takeFrames(context, server, url, size, label, out)));
            }
            return all;
        });
        fs.writeFileSync(path.join(out, "frames.txt"), lines.join("\n") + "\n");
    } finally {
        server.server.closeAllConnections();
        server.server.close();
    }
}

async function desktop(root, name, out) {
    const page = path.join(root, `${name}.html`);
    const folder = path.join(root, `${name} dir`);
    if (!fs.existsSync(page)) throw new Failure(`no installed page ${page}`);
    const stage = fs.mkdtempSync(path.join(os.tmpdir(), "velumar-desktop-"));
    try {
        fs.writeFileSync(path.join(stage, `${name}.html`), withRuffle(fs.readFileSync(page)));
        if (fs.existsSync(folder)) copyTree(folder, path.join(stage, `${name} dir`));
        say(`==> the installed page "${name}.html" in Chromium with Ruffle ${ruffleVersion()}`);
        await render(stage, `${name}.html`, desktopSizes, "desktop", out);
    } finally {
        fs.rmSync(stage, { recursive: true, force: true });
    }
}

// The preview panel sets the control to show the whole movie in the panel (scale mode 0).
async function preview(movie, out) {
    if (!fs.existsSync(movie)) throw new Failure(`no preview movie ${movie}`);
    const stage = fs.mkdtempSync(path.join(os.tmpdir(), "velumar-preview-"));
    try {
        fs.copyFileSync(movie, path.join(stage, "preview.swf"));
        const [width, height] = previewSize;
        const page = `<html><head></head><body style="margin:0;overflow:hidden">` +
            `<embed src="preview.swf" width="${width}" height="${height}" scale="showall" ` +
            `quality="high" type="application/x-shockwave-flash"></body></html>`;
        fs.writeFileSync(path.join(stage, "preview.html"), withRuffle(Buffer.from(page, "latin1")));
        say(`==> the preview movie ${path.basename(movie)} in Chromium with Ruffle ` +
            `${ruffleVersion()}, in the ${width} x ${height} preview area`);
        await render(stage, "preview.html", [previewSize], "preview", out);
    } finally {
        fs.rmSync(stage, { recursive: true, force: true });
    }
}

async function check() {
    const version = ruffleVersion();
    const { chromium } = playwright();
    const browser = await chromium.launch({
        executablePath: chromiumPath, headless: true, args: chromiumFlags, chromiumSandbox: false,
    });
    say(`Chromium ${browser.version()}, Ruffle ${version}, ` +
        `playwright-core ${createRequire(import.meta.url)(path.join(modules, "playwright-core",
            "package.json")).version}`);
    await browser.close();
}

const usage = "usage: desktop_picture.mjs check | desktop WALLPAPER_ROOT NAME OUT | " +
    "preview MOVIE OUT";

async function main(args) {
    const [command, ...rest] = args;
    if (command === "check" && rest.length === 0) return check();
    if (command === "desktop" && rest.length === 3) return desktop(...rest);
    if (command === "preview" && rest.length === 2) return preview(...rest);
    process.stderr.write(usage + "\n");
    process.exit(2);
}

main(process.argv.slice(2)).then(
    () => process.exit(0),
    (error) => {
        if (error instanceof Skip) {
            process.stderr.write(`skipped: ${error.message}\n`);
            process.exit(skipCode);
        }
        process.stderr.write(`failed: ${error instanceof Failure ? error.message : error.stack}\n`);
        process.exit(1);
    });
