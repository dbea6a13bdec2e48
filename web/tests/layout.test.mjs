// What a player sees, at 1280x800 with a mouse, at 360x740 and 740x360
// with touch, in the light and the dark: the prompt in view with English
// on, the newest move of the chain in view, a route picture whose step
// badges never overlap and whose nodes are big enough for a thumb, a
// layout that keeps still under the pointer as the combo grows, the
// controls of a phone held sideways without scrolling, and no axe-core
// violation in the dark. Screenshots for the docs are written to
// build-web/.

import { describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { mkdirSync } from 'node:fs';
import path from 'node:path';
import {
  axeViolations, browserForFile, buildWeb, typeAnswers,
} from './helpers.mjs';

const chromium = browserForFile();
const { fresh } = chromium;
const desktop = { viewport: { width: 1280, height: 800 } };
const phone = { viewport: { width: 360, height: 740 }, hasTouch: true,
                isMobile: true };
const sideways = { viewport: { width: 740, height: 360 }, hasTouch: true,
                   isMobile: true };
// The longest combo of all, as README's atlas and combo-atlas have it.
const longest = '1,2,1,3,1,4,2,2,3,2,5,3,5,4,5,8,6,2,6,6,7,6';

function boxes(page, selector) {
  return page.locator(selector).evaluateAll((els) =>
      els.map((el) => el.getBoundingClientRect().toJSON()));
}

function overlap(a, b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom &&
      b.top < a.bottom;
}

describe('with English on', () => {
  // The prompt and its English stay in view on the screen.
  test('the last line and its English are in view', async (t) => {
    const page = await fresh(t, '#8,7,6,7', desktop);
    await page.locator('#english').check();
    await page.waitForTimeout(100);
    const [screen] = await boxes(page, '#screen');
    const lines = await boxes(page, '#screen .en');
    const last = lines[lines.length - 1];
    assert.equal(await page.locator('#screen .en').last().innerText(),
                 'Please choose:');
    assert.ok(last.top >= screen.top && last.bottom <= screen.bottom + 1 &&
              screen.bottom <= 800, JSON.stringify([screen, last]));
  });
});

describe('the chain on a phone', () => {
  // Ten moves overflow the row: it shows the newest, the row scrolled to
  // its end, not the first.
  test('shows the newest move', async (t) => {
    const page = await fresh(t, `#${longest.split(',').slice(0, 10).join()}`,
                             phone);
    const [row] = await boxes(page, '#chain');
    const chips = await boxes(page, '#chain li');
    assert.equal(chips.length, 10);
    const newest = chips[9];
    assert.ok(newest.left >= row.left - 1 && newest.right <= row.right + 1,
              JSON.stringify([row, newest]));
    assert.ok(row.right <= 360);
    assert.ok(chips[0].right < row.left, 'the first move scrolled away');
  });
});

describe('the route picture', () => {
  // Every step of the longest combo has its badge clear of every other
  // and of every node, on a desktop and on a phone.
  for (const [name, options] of [['1280 px', desktop], ['360 px', phone]]) {
    test(`numbers the 22 moves of the longest without overlap at ${name}`,
         async (t) => {
      const page = await fresh(t, `#${longest}`, options);
      const badges = await boxes(page, '#graph .step circle');
      assert.equal(badges.length, 21);
      assert.deepEqual(await page.locator('#graph .step').allTextContents(),
                       Array.from({ length: 21 }, (_, i) => String(i + 1)));
      const nodes = await boxes(page, '#graph .node circle');
      for (let i = 0; i < badges.length; ++i) {
        for (let j = i + 1; j < badges.length; ++j) {
          assert.ok(!overlap(badges[i], badges[j]), `badges ${i + 1}, ${j + 1}`);
        }
        // Clear of the nodes, whose corners a round badge may pass.
        for (const node of nodes) {
          const dx = (badges[i].left + badges[i].right - node.left -
                      node.right) / 2;
          const dy = (badges[i].top + badges[i].bottom - node.top -
                      node.bottom) / 2;
          assert.ok(Math.hypot(dx, dy) >= (badges[i].width + node.width) / 2,
                    `badge ${i + 1} on a node`);
        }
      }
    });
  }

  // A thumb's target: 44 px across at least, on a 360 px phone.
  test('has nodes of 44 px at 360 px wide', async (t) => {
    const page = await fresh(t, '', phone);
    const nodes = await boxes(page, '#graph .node');
    assert.equal(nodes.length, 8);
    for (const node of nodes) {
      assert.ok(node.width >= 44 && node.height >= 44,
                `${node.width} by ${node.height}`);
    }
  });

  // Stepping through the route picks out one link at a time and names its
  // two moves.
  test('steps through the route a link at a time', async (t) => {
    const page = await fresh(t, `#${longest}`, phone);
    const text = () => page.locator('#step-text').innerText();
    const picked = () => page.evaluate(() => {
      const link = document.querySelector('#graph .link.picked');
      return [link && `${link.dataset.from}>${link.dataset.to}`,
              document.querySelector('#graph .step.picked')?.textContent];
    });
    assert.deepEqual(await picked(), [null, undefined]);
    await page.locator('#step-on').tap();
    assert.equal(await text(), 'Step 1 of 21: 1 空中浮き → 2 空中きりもみ');
    assert.deepEqual(await picked(), ['1>2', '1']);
    await page.locator('#step-on').tap();
    await page.locator('#step-on').tap();
    assert.equal(await text(), 'Step 3 of 21: 1 空中浮き → 3 空中ふっとばし');
    assert.deepEqual(await picked(), ['1>3', '3']);
    await page.locator('#step-back').tap();
    assert.deepEqual(await picked(), ['2>1', '2']);
    // The strip of the moves, by name.
    const chips = await page.locator('#chain li').allInnerTexts();
    assert.equal(chips.length, 22);
    assert.equal(chips[15].replace(/\s+/g, ' '), '8 地上バウンド');
    assert.deepEqual(await axeViolations(page), []);
  });
});

describe('from 60rem wide', () => {
  // What a player taps next stays where it is, answer after answer, at
  // the end of the combo and into the next one.
  test('nothing moves under the pointer as the combo grows', async (t) => {
    const page = await fresh(t, '', desktop);
    const watched = ['#screen', '#answer', '#choices', '#graph', '#longest',
                     '#step-on'];
    const tops = () => page.evaluate((ids) => ids.map((id) =>
        Math.round(document.querySelector(id).getBoundingClientRect().top)),
    watched);
    const first = await tops();
    for (const answer of [...longest.split(','), '1', '8']) {
      await typeAnswers(page, [answer]);
      assert.deepEqual(await tops(), first, `after ${answer}`);
    }
    await page.locator('#english').check();
    await page.locator('#undo').click();
    assert.deepEqual(await tops(), first, 'after undo, with English');
  });

  // The note on lines folded away sits over the screen's corner.
  test('the note on folded lines pushes nothing down', async (t) => {
    const page = await fresh(t, `#8${',1'.repeat(700)}`, desktop);
    assert.ok(await page.locator('#folded').isVisible());
    const [screen] = await boxes(page, '#screen');
    const plain = await fresh(t, '', desktop);
    const [unfolded] = await boxes(plain, '#screen');
    assert.equal(screen.top, unfolded.top);
  });
});

describe('a phone held sideways, 740x360', () => {
  // The field and every answer in view, without scrolling.
  for (const fragment of ['', '#8,7,6', '#4', '#8,7,6,7']) {
    test(`shows the controls at ${fragment || 'the start'}`, async (t) => {
      const page = await fresh(t, fragment, sideways);
      const controls = await boxes(page, '#answer, #choices button');
      assert.ok(controls.length > 1);
      for (const box of controls) {
        assert.ok(box.top >= 0 && box.bottom <= 360 && box.right <= 740,
                  JSON.stringify(box));
      }
      const [screen] = await boxes(page, '#screen');
      assert.ok(screen.bottom <= 360 && screen.height > 200,
                JSON.stringify(screen));
    });
  }
});

describe('in the dark', () => {
  const dark = { ...desktop, colorScheme: 'dark' };
  test('follows the colour scheme the player prefers', async (t) => {
    const page = await fresh(t, '#8,7,6', dark);
    const light = await fresh(t, '#8,7,6', desktop);
    const colours = (p) => p.evaluate(() => [
      getComputedStyle(document.body).backgroundColor,
      getComputedStyle(document.getElementById('graph')).backgroundColor]);
    const [body, graph] = await colours(page);
    const lightness = (c) => c.match(/\d+/g).slice(0, 3).map(Number)
        .reduce((a, b) => a + b, 0);
    assert.ok(lightness(body) < 150 && lightness(graph) < 150, body + graph);
    assert.ok(lightness((await colours(light))[0]) > 600);
  });

  // axe-core checks the contrast of every text in the dark too.
  const states = [
    ['at the start', '', dark],
    ['mid-combo, a step picked', '#8,1,7,6', dark],
    ['at a complete combo', `#${longest}`, dark],
    ['when the session has ended', '#0,0', dark],
    ['on a phone', '#4', { ...phone, colorScheme: 'dark' }],
    ['sideways', '#8,7', { ...sideways, colorScheme: 'dark' }],
  ];
  for (const [name, fragment, options] of states) {
    test(`axe-core finds no violation ${name}`, async (t) => {
      const page = await fresh(t, fragment, options);
      if (name.includes('step')) await page.locator('#step-on').click();
      if (name.includes('complete')) {
        await page.locator('#english').check();
        await page.locator('#history summary').click();
      }
      assert.deepEqual(await axeViolations(page), []);
    });
  }
});

// "Play the longest" moves without animation where the player asks for
// less motion: the whole combo at once, each move still undoable.
describe('with reduced motion', () => {
  test('plays the longest at once', async (t) => {
    const page = await fresh(t, '', { ...desktop, reducedMotion: 'reduce' });
    await page.locator('#longest').click();
    assert.equal(await page.locator('#chain b').count(), 22);
    await page.keyboard.press('Escape');
    assert.equal(await page.locator('#chain b').count(), 21);
  });
});

describe('screenshots for the docs', () => {
  const shots = [
    ['1280', '#8,7,6', desktop, { hover: '#step-on' }],
    ['360', '#8,7,6', phone, {}],
    ['740x360', '#8,7,6', sideways, {}],
    ['dark-360', `#${longest}`, { ...phone, colorScheme: 'dark' },
     { scroll: '#graph' }],
    ['dark-1280', `#${longest}`, { ...desktop, colorScheme: 'dark' }, {}],
  ];
  for (const [name, fragment, options, how] of shots) {
    test(name, async (t) => {
      const page = await fresh(t, fragment, options);
      if (how.hover) await page.locator(how.hover).click();
      if (how.scroll) {
        await page.locator(how.scroll).evaluate((el) => el.scrollIntoView());
      }
      mkdirSync(buildWeb, { recursive: true });
      await page.screenshot({ path: path.join(buildWeb,
                                              `web-edition-${name}.png`) });
    });
  }
});
