// Reads the version ranges that packages give in `engines` ("a b || c - d", with >=, <=, >, <, =, ^, ~ and
// partial or wildcard versions) and tests full versions against them. Prerelease tags are ignored.

// A version as [major, minor, patch]; a missing or wildcard part is null ("1.x" is [1, null, null]).
function parseVersion(text) {
  const match = /^v?(\d+|[xX*])(?:\.(\d+|[xX*]))?(?:\.(\d+|[xX*]))?(?:[-+].*)?$/.exec(text);
  if (!match) return undefined;
  return match.slice(1, 4).map((part) => (part === undefined || /^[xX*]$/.test(part) ? null : Number(part)));
}

function compare(a, b) {
  for (let i = 0; i < 3; i += 1) if (a[i] !== b[i]) return a[i] < b[i] ? -1 : 1;
  return 0;
}

// The lowest version a partial one stands for, and the first version above all it stands for
// (for "1.2" those are 1.2.0 and 1.3.0; for "1" 1.0.0 and 2.0.0; for "*" 0.0.0 and none).
function lowest(v) {
  return v.map((part) => part ?? 0);
}
function pastHighest(v) {
  const known = v.findIndex((part) => part === null);
  if (known === -1) return null; // a full version
  if (known === 0) return undefined; // "*": no upper bound
  const next = v.slice(0, known).concat([0, 0, 0]).slice(0, 3);
  next[known - 1] += 1;
  return next;
}

// One comparator ("<op><version>") as a test of a full version, or undefined when it cannot be read.
function comparator(text) {
  const match = /^(>=|<=|>|<|=|\^|~>?)?\s*(.+)$/.exec(text);
  if (!match) return undefined;
  const op = match[1] ?? '';
  const v = parseVersion(match[2]);
  if (!v) return undefined;
  const low = lowest(v);
  const past = pastHighest(v);
  // A partial version stands for every version it matches: from low up to past, or without end for "*".
  const full = past === null;
  const below = (n) => compare(n, low) < 0;
  const above = (n) => (full ? compare(n, low) > 0 : past !== undefined && compare(n, past) >= 0);
  switch (op) {
    case '>=': return (n) => !below(n);
    case '<': return (n) => below(n);
    case '>': return (n) => above(n);
    case '<=': return (n) => !above(n);
    case '':
    case '=': return (n) => !below(n) && !above(n);
    case '^': {
      // Changes that keep the first non-zero part given.
      const lead = low.findIndex((part, i) => part !== 0 || v[i + 1] === null || i === 2);
      const upper = low.slice(0, lead + 1).concat([0, 0, 0]).slice(0, 3);
      upper[lead] += 1;
      return v[0] === null ? () => true : (n) => compare(n, low) >= 0 && compare(n, upper) < 0;
    }
    default: { // "~": changes below the minor part, or below the major one when no minor is given
      if (v[0] === null) return () => true;
      const upper = v[1] === null ? [v[0] + 1, 0, 0] : [v[0], v[1] + 1, 0];
      return (n) => compare(n, low) >= 0 && compare(n, upper) < 0;
    }
  }
}

// A whole range ("a b || c - d ...") as a test of a full version, or undefined when any part cannot be read.
export function range(text) {
  const alternatives = [];
  for (const alternative of text.split('||')) {
    const tests = [];
    const hyphen = /^\s*(\S+)\s+-\s+(\S+)\s*$/.exec(alternative);
    const joined = alternative.replace(/(>=|<=|>|<|=|\^|~>?)\s+/g, '$1'); // ">= 18" is ">=18"
    const parts = hyphen ? [`>=${hyphen[1]}`, `<=${hyphen[2]}`] : joined.trim().split(/\s+/).filter(Boolean);
    for (const part of parts.length ? parts : ['*']) {
      const test = comparator(part);
      if (!test) return undefined;
      tests.push(test);
    }
    alternatives.push((n) => tests.every((t) => t(n)));
  }
  return (n) => alternatives.some((a) => a(n));
}

