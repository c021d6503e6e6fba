#!/usr/bin/env python3
"""pairs.py ANSWERS DATA OUT SEED: the pairs a reader judges, one per reply of the answering
entry; a fallback or a filter's list is one pair with a drawn line; a phrase of 110 characters
or more (as the program takes it) adds a drawn line of BigString.Dat."""
import random, sys, os
answers, data, out, seed = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
rnd = random.Random(seed)
def lines(name):
    with open(os.path.join(data, 'Base', name), 'rb') as f:
        return [l.decode('cp1251') for l in f.read().split(b'\r\n') if l]
big = lines('BigString.Dat')
rows = [l.rstrip('\n').split('\t') for l in open(answers, encoding='utf-8')][1:]
with open(out, 'w', encoding='utf-8') as o:
    o.write('id\tphrase\tprogram_said_before\treply\n')
    for n, r in enumerate(rows, 1):
        phrase, after, answer, replies = r[0], r[1], r[2], r[3]
        if answer.startswith('fallback'):
            reps = [rnd.choice(lines(answer.split()[1] + '.Dat'))]
        elif 'filter' in answer or 'фильтр' in r[5] or 'повтор' in r[5]:
            reps = [rnd.choice(replies.split(' | '))]
        elif replies:
            reps = replies.split(' | ')
        else:
            sys.exit(f"pairs.py: no reply for «{phrase}» ({answer}); run it with --after-line")
        typed = phrase[:255]
        taken = typed if typed[-1:] in '.!?' else typed[:-1] + '.' if typed[-1:] == ',' else typed + '.'
        if len(taken) >= 110:
            reps = reps + [rnd.choice(big)]
        for k, rep in enumerate(reps, 1):
            o.write(f'{n}.{k}\t{phrase}\t{after}\t{rep}\n')
